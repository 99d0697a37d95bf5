#include "launch/archive.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::launch {
namespace {

struct StringForm {
  size_t length;
  std::string prefix;
};

class ArchiveStringTest : public ::testing::TestWithParam<StringForm> {};

TEST_P(ArchiveStringTest, LengthFormAndReadBack) {
  const StringForm& form = GetParam();
  std::string text(form.length, 'x');
  ArchiveWriter out;
  out.String(text);
  ASSERT_EQ(out.bytes().size(), form.prefix.size() + form.length);
  EXPECT_EQ(out.bytes().substr(0, form.prefix.size()), form.prefix);
  ArchiveReader in(out.bytes());
  EXPECT_EQ(in.String(), text);
  EXPECT_EQ(in.remaining(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ArchiveStringTest,
    ::testing::Values(StringForm{0, std::string("\0", 1)}, StringForm{254, "\xFE"},
                      StringForm{255, std::string("\xFF\xFF\x00", 3)},
                      StringForm{0xFFFE, "\xFF\xFE\xFF"},
                      StringForm{0xFFFF, std::string("\xFF\xFF\xFF\xFF\xFF\x00\x00", 7)},
                      StringForm{70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)}));

TEST(ArchiveTest, CountForms) {
  ArchiveWriter out;
  out.Count(3);
  out.Count(0xFFFF);
  EXPECT_EQ(out.bytes(), std::string("\x03\x00\xFF\xFF\xFF\xFF\x00\x00", 8));
}

TEST(ArchiveTest, ClaimedLengthsBeyondTheDataAreRefused) {
  // A 2 GB string, a 4 billion element list, and a field cut short.
  std::string huge_string("\xFF\xFF\xFF\x00\x00\x00\x80zz", 9);
  ArchiveReader a(huge_string);
  EXPECT_THROW(a.String(), ArchiveError);
  std::string huge_list("\xFF\xFF\xFF\xFF\xFF\xFF\x00\x00", 8);
  ArchiveReader b(huge_list);
  EXPECT_THROW(b.Count(2), ArchiveError);
  ArchiveReader c(std::string_view("\x01\x02\x03", 3));
  EXPECT_THROW(c.U32(), ArchiveError);
  ArchiveReader d(
      std::string_view("\x02\x00"
                       "abcd",
                       6));
  EXPECT_EQ(d.Count(2), 2u);
  ArchiveReader e(
      std::string_view("\x03\x00"
                       "abcd",
                       6));
  EXPECT_THROW(e.Count(2), ArchiveError);
}

}  // namespace
}  // namespace qel::launch
