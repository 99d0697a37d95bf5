// The chain's window messages over local sockets: delivery with the sender,
// a missing receiver reported at once, the per-user directory's mode.
#include "launch/chain_socket.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel::launch {
namespace {

// A window id no process uses: far above the kernel's pid range.
constexpr pid_t kNoWindow = 0x3FFFFFF0;

TEST(ChainSocketTest, MessageArrivesWithItsParameterAndSender) {
  ChainEndpoint endpoint;
  ASSERT_TRUE(endpoint.Listen(kNoWindow));
  ASSERT_TRUE(SendChainMessage(kNoWindow, kMsgRegister, 4321));
  ASSERT_TRUE(SendChainMessage(kNoWindow, kMsgToFront));
  const std::vector<ChainMessage> got = endpoint.Receive();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, kMsgRegister);
  EXPECT_EQ(got[0].wparam, 4321u);
  EXPECT_EQ(got[0].sender, static_cast<uint32_t>(::getpid()));
  EXPECT_EQ(got[1].message, kMsgToFront);
  EXPECT_TRUE(endpoint.Receive().empty());
}

TEST(ChainSocketTest, SendingToAMenuThatIsGoneFailsAtOnce) {
  EXPECT_FALSE(SendChainMessage(kNoWindow + 1, kMsgDisable));
  {
    ChainEndpoint endpoint;
    ASSERT_TRUE(endpoint.Listen(kNoWindow + 1));
  }
  EXPECT_FALSE(SendChainMessage(kNoWindow + 1, kMsgDisable));
  EXPECT_FALSE(SendChainMessage(0, kMsgDisable));
}

TEST(ChainSocketTest, SocketDirectoryBelongsToTheUserAlone) {
  const std::string dir = ChainSocketDirectory();
  ASSERT_FALSE(dir.empty());
  struct stat st;
  ASSERT_EQ(::lstat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, ::getuid());
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(ChainSocketTest, ProcessExistsTellsLiveFromDead) {
  EXPECT_TRUE(ProcessExists(::getpid()));
  EXPECT_FALSE(ProcessExists(kNoWindow));
  EXPECT_FALSE(ProcessExists(0));
}

}  // namespace
}  // namespace qel::launch
