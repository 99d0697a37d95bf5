// The interactive converter's string table against the console converter's:
// every message a driver can show is there, with the same text, and with the
// interactive severity where the two programs differ.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/string_table.h"

namespace {

using qel::platform::LoadModuleString;
using qel::platform::LoadProgramString;

// Messages only the console converter has: its command-line checks.
bool ConsoleOnly(unsigned id) { return id >= 3751 && id <= 3767; }

TEST(QelxformStringsTest, EveryDriverMessageWithTheInteractiveSeverity) {
  const std::set<unsigned> information = {2724, 2725, 2733, 3510, 3511,
                                          3513, 3521, 3610, 3613, 3621};
  int compared = 0;
  for (unsigned id = 2500; id < 4000; ++id) {
    const auto batch = LoadModuleString("QELXFORMBATCH.EXE", id);
    if (!batch || ConsoleOnly(id)) continue;
    SCOPED_TRACE(id);
    const auto own = LoadProgramString(id);
    ASSERT_TRUE(own);
    std::string expected(*batch);
    if (information.count(id)) expected[9] = 'I';
    if (id == 3698) expected[9] = '!';
    EXPECT_EQ(std::string(*own), expected);
    ++compared;
  }
  EXPECT_GT(compared, 50);
}

TEST(QelxformStringsTest, DialogMessagesAreInformation) {
  for (unsigned id : {2708u, 2709u, 2710u, 2711u, 2712u, 2713u, 2714u, 2717u, 2719u, 2729u}) {
    const auto text = LoadProgramString(id);
    ASSERT_TRUE(text) << id;
    EXPECT_EQ(text->substr(0, 10), "KXFM" + std::to_string(id) + "-I") << id;
  }
  // The one message with a line break keeps it for its box.
  EXPECT_NE(LoadProgramString(2719)->find('\n'), std::string_view::npos);
}

}  // namespace
