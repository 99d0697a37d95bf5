// The launcher's command line: separators, options in any case, the menu
// file's extension, and the invalid-parameter rules.
#include "launch/command_line.h"

#include <gtest/gtest.h>

namespace qel::launch {
namespace {

CommandLine Parse(const std::string& line) { return ParseCommandLine(SplitCommandItems(line)); }

TEST(CommandLineTest, SpacesAndCommasSeparateItemsAndOptionsIgnoreCase) {
  const CommandLine cl = Parse("/exe,menu  /Debug");
  EXPECT_TRUE(cl.run);
  EXPECT_TRUE(cl.debug);
  EXPECT_FALSE(cl.invalid);
  EXPECT_EQ(cl.menu_file, "menu.QLM");
}

TEST(CommandLineTest, TheFirstNonOptionIsTheMenuAndKeepsItsExtension) {
  const CommandLine cl = Parse("/EXE a.qlm b.qlm");
  EXPECT_EQ(cl.menu_file, "a.qlm");
  EXPECT_EQ(Parse("/EXE dir.x/menu").menu_file, "dir.x/menu.QLM");
}

TEST(CommandLineTest, AbsolutePathsAreNotOptions) {
  const CommandLine cl = Parse("/EXE /srv/menus/main.qlm");
  EXPECT_FALSE(cl.invalid);
  EXPECT_EQ(cl.menu_file, "/srv/menus/main.qlm");
}

TEST(CommandLineTest, BlockAndKTakeTheirValueAttachedOrAsTheNextItem) {
  CommandLine cl = Parse("/IQLMabc123 /k text");
  EXPECT_TRUE(cl.has_block);
  EXPECT_EQ(cl.block_name, "QLMabc123");
  EXPECT_TRUE(cl.has_k);
  EXPECT_EQ(cl.k_text, "text");
  cl = Parse("/I QLMx /Kword");
  EXPECT_EQ(cl.block_name, "QLMx");
  EXPECT_EQ(cl.k_text, "word");
  EXPECT_FALSE(cl.warn_missing_file);  // a child takes its file from the block
}

TEST(CommandLineTest, UnknownOptionIsInvalid) {
  EXPECT_TRUE(Parse("/EXE /X menu").invalid);
  EXPECT_TRUE(Parse("/EXEC").invalid);
}

TEST(CommandLineTest, MissingMenuFileWarnsUnlessDebugOrPrint) {
  EXPECT_TRUE(Parse("/EXE").warn_missing_file);
  EXPECT_FALSE(Parse("/EXE /DEBUG").warn_missing_file);
  const CommandLine print = Parse("/P");
  EXPECT_FALSE(print.warn_missing_file);
  EXPECT_TRUE(print.end_at_once);
  // Design mode without a file is a normal start.
  EXPECT_FALSE(Parse("").warn_missing_file);
  EXPECT_EQ(Parse("menu").menu_file, "menu");
}

TEST(CommandLineTest, ExtensionOfTheLastComponentOnly) {
  EXPECT_EQ(UpperExtension("dir.d/prog.exe"), ".EXE");
  EXPECT_EQ(UpperExtension("dir.d/prog"), "");
  EXPECT_EQ(UpperExtension("prog."), "");
}

}  // namespace
}  // namespace qel::launch
