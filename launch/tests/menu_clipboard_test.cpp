// Objects through the clipboard format: a copied button pastes as an equal
// object, a paste is moved and kept within the menu's limits, and bytes that
// are no objects are refused.
#include "launch/menu_clipboard.h"

#include <gtest/gtest.h>

#include "launch/menu_design.h"

namespace qel::launch {
namespace {

TEST(MenuClipboardTest, CopiedButtonPastesAsAnEqualObject) {
  CQelstartDoc source;
  auto& button = source.Add<CLCNButton>();
  button.title = "Run";
  button.program = "prog.exe";
  button.parameters = "-a -b";
  button.menu_number = 12;
  button.functions = CLCNButton::kWaitForEnd;
  button.position = {10, 20, 100, 40};
  button.font.height = 20;
  auto& line = source.Add<CLCNLine>();
  line.start = {1, 2};
  line.end = {30, 40};
  const std::string bytes = CopyMenuObjects({&button, &line});

  CQelstartDoc target;
  std::string message;
  const std::vector<CLCNObject*> added = PasteMenuObjects(target, bytes, 0, 0, message);
  EXPECT_TRUE(message.empty());
  ASSERT_EQ(added.size(), 2u);
  EXPECT_TRUE(added[0]->Equals(button));
  EXPECT_TRUE(added[1]->Equals(line));
  EXPECT_EQ(target.buttons.size(), 1u);
  EXPECT_EQ(target.draw_order.size(), 2u);

  // A second paste lands moved.
  const std::vector<CLCNObject*> moved = PasteMenuObjects(target, bytes, 8, 8, message);
  ASSERT_EQ(moved.size(), 2u);
  EXPECT_EQ(moved[0]->position, (Rect16{18, 28, 100, 40}));
  EXPECT_EQ(static_cast<CLCNLine&>(*moved[1]).start, (Point32{9, 10}));
}

TEST(MenuClipboardTest, PasteKeepsTheLimits) {
  CQelstartDoc source;
  source.Add<CLCNInput>();
  const std::string input = CopyMenuObjects({source.inputs[0].get()});
  CQelstartDoc target;
  std::string message;
  EXPECT_EQ(PasteMenuObjects(target, input, 0, 0, message).size(), 1u);
  EXPECT_TRUE(PasteMenuObjects(target, input, 0, 0, message).empty());
  EXPECT_EQ(message, design_messages::SecondInput());
  CQelstartDoc full;
  for (int i = 0; i < 128; ++i) full.Add<CLCNFrame>();
  EXPECT_TRUE(PasteMenuObjects(full, input, 0, 0, message).empty());
  EXPECT_EQ(message, design_messages::TooMany());
  EXPECT_EQ(full.ObjectCount(), 128u);
}

TEST(MenuClipboardTest, BytesThatAreNoObjectsAreRefused) {
  CQelstartDoc target;
  std::string message;
  EXPECT_TRUE(PasteMenuObjects(target, "not objects", 0, 0, message).empty());
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(target.ObjectCount(), 0u);
}

}  // namespace
}  // namespace qel::launch
