// The start block: its byte layout, the named shared memory of one user, the
// claim marking and what forgetting a child removes.
#include "launch/start_block.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace qel::launch {
namespace {

TEST(StartBlockTest, FieldsSitAtTheirOffsets) {
  StartBlockFields f;
  f.manager_value = 0x11223344;
  f.parent_window = 1234;
  f.menu_path = "menus/sub.qlm";
  f.root_window = 99;
  f.name = "QLMabcdef";
  unsigned char block[kStartBlockSize];
  EncodeStartBlock(f, block);
  EXPECT_EQ(block[0], 0x44);
  EXPECT_EQ(block[3], 0x11);
  EXPECT_EQ(block[4] | (block[5] << 8), 1234);
  EXPECT_STREQ(reinterpret_cast<char*>(block + 8), "menus/sub.qlm");
  EXPECT_EQ(block[136], 2);
  EXPECT_EQ(block[140], 99);
  EXPECT_STREQ(reinterpret_cast<char*>(block + 144), "QLMabcdef");
  const StartBlockFields back = DecodeStartBlock(block);
  EXPECT_EQ(back.menu_path, f.menu_path);
  EXPECT_EQ(back.name, f.name);
  EXPECT_EQ(back.root_window, 99u);
}

TEST(StartBlockTest, OverlongTextsAreCutAndStayTerminated) {
  StartBlockFields f;
  f.menu_path = std::string(300, 'p');
  f.name = "QLM0123456789";
  unsigned char block[kStartBlockSize];
  EncodeStartBlock(f, block);
  const StartBlockFields back = DecodeStartBlock(block);
  EXPECT_EQ(back.menu_path.size(), kStartBlockPathSize - 1);
  EXPECT_EQ(back.name.size(), kStartBlockNameSize - 1);
}

TEST(StartBlockTest, ChildReadsWhatParentWroteAndTheClaimMarksIt) {
  StartBlock parent;
  StartBlockFields f;
  f.manager_value = 7;
  f.parent_window = static_cast<uint32_t>(::getpid());
  f.menu_path = "sub.qlm";
  ASSERT_TRUE(parent.Create(f));
  const std::string name = parent.name();
  EXPECT_EQ(name.substr(0, 3), "QLM");
  EXPECT_LT(name.size(), kStartBlockNameSize);
  const std::string temp = StartBlock::TempDirectory() + name + ".TMP";
  EXPECT_EQ(::access(temp.c_str(), F_OK), 0);
  struct stat st;
  ASSERT_EQ(::stat(("/dev/shm" + StartBlock::SharedName(name)).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  StartBlock child;
  ASSERT_TRUE(child.Open(name));
  EXPECT_EQ(child.Read().menu_path, "sub.qlm");
  EXPECT_EQ(child.Read().manager_value, 7u);
  EXPECT_EQ(child.Read().name, name);

  EXPECT_TRUE(parent.Unclaimed());
  parent.Claim();
  EXPECT_FALSE(parent.Unclaimed());
  EXPECT_EQ(child.Read().name[0], '\0');

  parent.Forget();
  EXPECT_FALSE(parent.valid());
  EXPECT_NE(::access(temp.c_str(), F_OK), 0);
  EXPECT_EQ(child.Read().name, name);  // the 'Q' is back
  StartBlock late;
  EXPECT_FALSE(late.Open(name));
}

TEST(StartBlockTest, OpenRefusesMissingAndMalformedNames) {
  StartBlock block;
  EXPECT_FALSE(block.Open("QLMnothere"));
  EXPECT_FALSE(block.Open(""));
  EXPECT_FALSE(block.Open("../QLMx"));
  EXPECT_FALSE(block.Open(std::string(40, 'Q')));
}

}  // namespace
}  // namespace qel::launch
