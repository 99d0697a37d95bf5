// The chain's window messages over local sockets: delivery with the sender,
// a missing receiver reported at once, the per-user directory's mode.
#include "launch/chain_socket.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "launch/process_start.h"

namespace qel::launch {
namespace {

// A window id no process uses: far above the kernel's pid range.
constexpr pid_t kNoWindow = 0x3FFFFFF0;

// A live process whose id the test listens as: the sockets of ids without a
// process are removed by every menu that starts listening.
class StandIn {
 public:
  StandIn() : pid_(SpawnProcess({"sleep", "30"}).pid) {}
  ~StandIn() {
    ::kill(pid_, SIGKILL);
    while (ChildRunning(pid_)) ::usleep(1000);
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_;
};

TEST(ChainSocketTest, MessageArrivesWithItsParameterAndSender) {
  StandIn window;
  ChainEndpoint endpoint;
  ASSERT_TRUE(endpoint.Listen(window.pid()));
  ASSERT_TRUE(SendChainMessage(window.pid(), kMsgRegister, 4321));
  ASSERT_TRUE(SendChainMessage(window.pid(), kMsgToFront));
  const std::vector<ChainMessage> got = endpoint.Receive();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].message, kMsgRegister);
  EXPECT_EQ(got[0].wparam, 4321u);
  EXPECT_EQ(got[0].sender, static_cast<uint32_t>(::getpid()));
  EXPECT_EQ(got[1].message, kMsgToFront);
  EXPECT_TRUE(endpoint.Receive().empty());
}

TEST(ChainSocketTest, SocketsOfProcessesThatAreGoneAreRemoved) {
  const std::string stale = ChainSocketPath(kNoWindow + 2);
  { std::ofstream(stale) << ""; }
  StandIn window;
  ChainEndpoint endpoint;
  ASSERT_TRUE(endpoint.Listen(window.pid()));
  EXPECT_NE(::access(stale.c_str(), F_OK), 0);
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
