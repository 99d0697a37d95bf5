// String tables: the generated program table (string_table_test.tsv, built
// by the qel_string_table rule) and the per-module registry.
#include "platform/string_table.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace qel::platform {
namespace {

std::string Cp932(const char* utf8) { return Utf8ToCp932(utf8).value(); }

TEST(StringTableTest, GeneratedTableIsTheProgramsAndHoldsCp932) {
  EXPECT_TRUE(IsModuleLoaded("QELSTRTEST.EXE"));
  EXPECT_TRUE(IsModuleLoaded("qelstrtest.exe"));
  EXPECT_EQ(LoadProgramString(7), Cp932("KTST0007-I 末尾"));
  EXPECT_EQ(LoadProgramString(1000), std::string("\xB6\xC5\x81\x60\x81\x7C\x81\x67\x81\x5A"));
  EXPECT_EQ(LoadModuleString("QelStrTest.exe", 7), LoadProgramString(7));
  EXPECT_EQ(LoadProgramString(3), std::nullopt);
}

TEST(StringTableTest, EscapesBecomeTheirCharacters) {
  EXPECT_EQ(LoadProgramString(2), Cp932("KTST0002-S 改行\\n前\n後\tタブ\\"));
}

const StringTableEntry kOther[] = {{1, "one", 3}, {5, "five", 4}, {9, "nine", 4}};
const StringTableEntry kReplacement[] = {{1, "uno", 3}};

TEST(StringTableTest, ModulesRegisterAndUnregisterByName) {
  EXPECT_FALSE(IsModuleLoaded("OTHER.EXE"));
  EXPECT_EQ(LoadModuleString("OTHER.EXE", 1), std::nullopt);
  RegisterStringTable("OTHER.EXE", kOther, 3, false);
  EXPECT_EQ(LoadModuleString("other.exe", 5), "five");
  EXPECT_EQ(LoadModuleString("OTHER.EXE", 9), "nine");
  EXPECT_EQ(LoadModuleString("OTHER.EXE", 4), std::nullopt);
  EXPECT_EQ(LoadModuleString("OTHER.EX", 5), std::nullopt);
  // A module table never stands in for the program's own.
  EXPECT_EQ(LoadProgramString(5), std::nullopt);
  RegisterStringTable("OTHER.EXE", kReplacement, 1, false);
  EXPECT_EQ(LoadModuleString("OTHER.EXE", 1), "uno");
  EXPECT_EQ(LoadModuleString("OTHER.EXE", 5), std::nullopt);
  UnregisterStringTable("OTHER.EXE");
  EXPECT_FALSE(IsModuleLoaded("OTHER.EXE"));
  EXPECT_EQ(LoadProgramString(7), Cp932("KTST0007-I 末尾"));
}

}  // namespace
}  // namespace qel::platform
