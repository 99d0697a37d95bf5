// The box presenter and message pump hooks, and the console default that
// answers boxes for batch programs and tests.
#include "platform/ui_hooks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace qel::platform {
namespace {

struct ConsoleCase {
  BoxButtons buttons;
  const char* answer;  // QELLAR_BOX_ANSWER, or null
  int expected;
};

class ConsoleBoxTest : public ::testing::TestWithParam<ConsoleCase> {
 protected:
  void TearDown() override { ::unsetenv("QELLAR_BOX_ANSWER"); }
};

TEST_P(ConsoleBoxTest, AnswersTheFirstButtonOrTheNamedOne) {
  if (GetParam().answer != nullptr) {
    ::setenv("QELLAR_BOX_ANSWER", GetParam().answer, 1);
  } else {
    ::unsetenv("QELLAR_BOX_ANSWER");
  }
  ::testing::internal::CaptureStderr();
  int pressed = ShowBox("CAPTION", "text", GetParam().buttons, BoxIcon::kQuestion);
  std::string shown = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(pressed, GetParam().expected);
  EXPECT_EQ(shown, "[CAPTION] text\n");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ConsoleBoxTest,
    ::testing::Values(ConsoleCase{BoxButtons::kOk, nullptr, kButtonOk},
                      ConsoleCase{BoxButtons::kRetryCancel, nullptr, kButtonRetry},
                      ConsoleCase{BoxButtons::kYesNoCancel, nullptr, kButtonYes},
                      ConsoleCase{BoxButtons::kYesNoCancel, "7", kButtonNo},
                      ConsoleCase{BoxButtons::kYesNoCancel, "2", kButtonCancel},
                      ConsoleCase{BoxButtons::kRetryCancel, "2", kButtonCancel},
                      // An answer the box does not offer, or no number at all,
                      // falls back to the first button.
                      ConsoleCase{BoxButtons::kOk, "6", kButtonOk},
                      ConsoleCase{BoxButtons::kRetryCancel, "4x", kButtonRetry}));

int presented = 0;
int Present(std::string_view caption, std::string_view text, BoxButtons, BoxIcon icon) {
  ++presented;
  return caption == "C" && text == "T" && icon == BoxIcon::kStop ? 42 : -1;
}

int pumped = 0;
void Pump() { ++pumped; }

TEST(UiHooksTest, InstalledPresenterAndPumpAreCalled) {
  SetBoxPresenter(Present);
  EXPECT_EQ(ShowBox("C", "T", BoxButtons::kOk, BoxIcon::kStop), 42);
  SetBoxPresenter(nullptr);
  EXPECT_EQ(presented, 1);
  PumpOneMessage();
  EXPECT_EQ(pumped, 0);
  SetMessagePump(Pump);
  PumpOneMessage();
  PumpOneMessage();
  SetMessagePump(nullptr);
  PumpOneMessage();
  EXPECT_EQ(pumped, 2);
}

}  // namespace
}  // namespace qel::platform
