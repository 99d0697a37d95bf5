// Run mode without a window: the menu-number input, PF-key title entries,
// start failures, the wait flag across the chain and dead neighbours. Programs
// are real processes (small shell scripts); the neighbours are endpoints of
// this test listening under the id of a process it started.
#include "launch/menu_runner.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "launch/launcher_texts.h"
#include "launch/process_start.h"

namespace qel::launch {
namespace {

class FakeHost : public RunHost {
 public:
  void ShowText(int id, const std::string& insert) override {
    texts.push_back(id);
    inserts.push_back(insert);
  }
  bool ConfirmCloseAll() override {
    ++confirms;
    return confirm_answer;
  }
  void CloseWindow() override { ++closes; }
  void RaiseWindow() override { ++raises; }
  void WaitingChanged(bool waiting) override { waiting_changes.push_back(waiting); }

  std::vector<int> texts;
  std::vector<std::string> inserts;
  std::vector<bool> waiting_changes;
  int confirms = 0;
  bool confirm_answer = true;
  int closes = 0;
  int raises = 0;
};

bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

class MenuRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qelstart_runXXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    for (pid_t pid : helpers_) {
      ::kill(pid, SIGKILL);
      WaitFor([pid] { return !ChildRunning(pid); });
    }
    std::system(("rm -rf " + dir_).c_str());
  }

  // A script that leaves `marker` behind and then sleeps `seconds`.
  std::string Script(const std::string& name, const std::string& marker, double seconds = 0) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << "touch " << dir_ << "/" << marker << "\nsleep " << seconds << "\n";
    return path;
  }
  bool Exists(const std::string& name) { return ::access((dir_ + "/" + name).c_str(), F_OK) == 0; }

  CLCNButton& AddButton(const std::string& title, const std::string& program, uint16_t number = 0,
                        uint32_t functions = 0) {
    auto& button = doc_.Add<CLCNButton>();
    button.title = title;
    button.program = program;
    button.menu_number = number;
    button.functions = functions;
    return button;
  }

  // A process that stands for a neighbour menu; `endpoint` listens as it.
  pid_t Neighbour(ChainEndpoint& endpoint) {
    const StartResult result = SpawnProcess({"sleep", "30"});
    EXPECT_TRUE(result.ok());
    helpers_.push_back(result.pid);
    EXPECT_TRUE(endpoint.Listen(result.pid));
    return result.pid;
  }

  std::vector<uint32_t> Messages(ChainEndpoint& endpoint) {
    std::vector<uint32_t> numbers;
    for (const ChainMessage& m : endpoint.Receive()) numbers.push_back(m.message);
    return numbers;
  }

  LauncherState State(pid_t parent = 0) {
    LauncherState state;
    state.own_window = ::getpid();
    state.parent_window = parent;
    state.launcher_path = "/bin/false";
    return state;
  }

  std::string dir_;
  std::vector<pid_t> helpers_;
  CQelstartDoc doc_;
  FakeHost host_;
};

TEST_F(MenuRunnerTest, MenuNumberInputChecksTheNumberAndFindsTheButton) {
  AddButton("five", Script("five.sh", "five_ran"), 5);
  MenuRunner runner(host_, State());
  runner.SetDocument(&doc_);
  for (const char* bad : {"0", "40000", "1a", "99999999999", "-3", " 5"}) {
    host_.texts.clear();
    runner.EnterNumber(bad);
    EXPECT_EQ(host_.texts, std::vector<int>{kTextInvalidNumber}) << bad;
  }
  host_.texts.clear();
  runner.EnterNumber("7");
  EXPECT_EQ(host_.texts, std::vector<int>{kTextNoSuchNumber});
  host_.texts.clear();
  runner.EnterNumber("");
  EXPECT_TRUE(host_.texts.empty());
  runner.EnterNumber("5 and a remark");
  EXPECT_TRUE(host_.texts.empty());
  EXPECT_TRUE(WaitFor([&] { return Exists("five_ran"); }));
}

TEST_F(MenuRunnerTest, PfKeyTitleEntryPressesEveryButtonOfThatTitle) {
  AddButton("帳票", Script("a.sh", "a_ran"));
  AddButton("other", Script("b.sh", "b_ran"));
  AddButton("帳票", Script("c.sh", "c_ran"));
  auto& key = doc_.Add<CLCNPfKey>();
  key.fixed_function = 0;
  key.button_title = "帳票";
  MenuRunner runner(host_, State());
  runner.SetDocument(&doc_);
  runner.PressPfKey(0);
  runner.PressPfKey(5);  // no such entry: nothing
  EXPECT_TRUE(WaitFor([&] { return Exists("a_ran") && Exists("c_ran"); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(Exists("b_ran"));
  EXPECT_TRUE(host_.texts.empty());
}

TEST_F(MenuRunnerTest, StartFailuresShowTheirTableEntry) {
  AddButton("missing", dir_ + "/missing.exe");
  AddButton("no dir", dir_ + "/nodir/prog.exe");
  AddButton("document", dir_ + "/missing.txt");
  AddButton("panoply", dir_ + "/job.DME");
  MenuRunner runner(host_, State());
  runner.SetDocument(&doc_);
  for (const auto& button : doc_.buttons) runner.Press(*button);
  EXPECT_EQ(host_.texts, (std::vector<int>{kTextStartError + 2, kTextStartError + 3,
                                           kTextStartError + 2, kTextPanoplyMissing}));
}

TEST_F(MenuRunnerTest, WaitFlagDisablesTheChainUntilTheProgramEnds) {
  ChainEndpoint parent;
  const pid_t parent_pid = Neighbour(parent);
  auto& wait = AddButton("wait", Script("w.sh", "w_ran", 1.0), 0, CLCNButton::kWaitForEnd);
  AddButton("other", Script("o.sh", "o_ran"), 3);
  auto& key = doc_.Add<CLCNPfKey>();
  key.fixed_function = 1;
  key.function = CLCNPfKey::kCommandLine;
  MenuRunner runner(host_, State(parent_pid));
  runner.SetDocument(&doc_);
  runner.Press(wait);
  EXPECT_TRUE(runner.waiting());
  EXPECT_EQ(Messages(parent), std::vector<uint32_t>{kMsgDisable});
  // Every operation meanwhile answers with the waiting message.
  runner.Press(*doc_.buttons[1]);
  runner.EnterNumber("3");
  runner.PressPfKey(0);
  EXPECT_FALSE(runner.RequestClose());
  EXPECT_EQ(host_.texts, std::vector<int>(4, kTextWaiting));
  // Another menu's 2525 does not end this menu's own wait.
  runner.Deliver({kMsgEnable, 0, static_cast<uint32_t>(parent_pid)});
  EXPECT_TRUE(runner.waiting());
  ASSERT_TRUE(WaitFor([&] {
    runner.Tick();
    return !runner.waiting();
  }));
  EXPECT_EQ(Messages(parent), std::vector<uint32_t>{kMsgEnable});
  EXPECT_EQ(host_.waiting_changes, (std::vector<bool>{true, false}));
  EXPECT_FALSE(Exists("o_ran"));
}

TEST_F(MenuRunnerTest, DisableFromANeighbourIsForwardedAndADeadNeighbourIsForgotten) {
  ChainEndpoint parent;
  const pid_t parent_pid = Neighbour(parent);
  ChainEndpoint other;
  const pid_t other_pid = Neighbour(other);
  MenuRunner runner(host_, State(parent_pid));
  runner.SetDocument(&doc_);
  runner.Deliver({kMsgDisable, 0, static_cast<uint32_t>(other_pid)});
  EXPECT_TRUE(runner.waiting());
  EXPECT_EQ(Messages(parent), std::vector<uint32_t>{kMsgDisable});
  runner.Deliver({kMsgDisable, 0, static_cast<uint32_t>(other_pid)});  // already disabled
  EXPECT_TRUE(Messages(parent).empty());
  // The menu that disabled this one dies without a 2525.
  ::kill(other_pid, SIGKILL);
  WaitFor([&] { return !ChildRunning(other_pid); });
  runner.Tick();
  EXPECT_FALSE(runner.waiting());
  EXPECT_EQ(Messages(parent), std::vector<uint32_t>{kMsgEnable});
}

TEST_F(MenuRunnerTest, EndButtonClosesAtOnceWithoutChildren) {
  AddButton("end", "", 0, CLCNButton::kEndButton);
  MenuRunner runner(host_, State());
  runner.SetDocument(&doc_);
  runner.Press(*doc_.buttons[0]);
  EXPECT_EQ(host_.closes, 1);
  EXPECT_EQ(host_.confirms, 0);
  EXPECT_TRUE(runner.close_approved());
}

TEST_F(MenuRunnerTest, FirstAndPreviousScreenRaiseRootAndParent) {
  ChainEndpoint parent;
  const pid_t parent_pid = Neighbour(parent);
  ChainEndpoint root;
  const pid_t root_pid = Neighbour(root);
  for (uint16_t f : {CLCNPfKey::kFirstScreen, CLCNPfKey::kPreviousScreen}) {
    auto& key = doc_.Add<CLCNPfKey>();
    key.fixed_function = 1;
    key.function = f;
  }
  LauncherState state = State(parent_pid);
  state.root_window = root_pid;
  MenuRunner runner(host_, state);
  runner.SetDocument(&doc_);
  runner.PressPfKey(0);
  runner.PressPfKey(1);
  EXPECT_EQ(Messages(root), std::vector<uint32_t>{kMsgToFront});
  EXPECT_EQ(Messages(parent), std::vector<uint32_t>{kMsgToFront});
  EXPECT_EQ(host_.raises, 0);
}

// Regression: two child menus started at once; the first to register got the
// other's block (the first unclaimed one), whose name was then removed before
// that child could map it.
TEST_F(MenuRunnerTest, RegistrationClaimsTheBlockOfTheRegisteringChild) {
  const std::string fake_launcher = dir_ + "/fake_launcher.sh";
  // It notes the block it was given, by its process id ("/I" and the name).
  std::ofstream(fake_launcher) << "#!/bin/sh\necho \"$2\" > " << dir_ << "/$$.block\nexec sleep 20\n";
  ::chmod(fake_launcher.c_str(), 0755);
  AddButton("one", dir_ + "/one.qlm");
  AddButton("two", dir_ + "/two.qlm");
  LauncherState state = State();
  state.launcher_path = fake_launcher;
  MenuRunner runner(host_, state);
  runner.SetDocument(&doc_);
  const std::string prefix = StartBlock::SharedName("");
  auto blocks = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
      const std::string name = "/" + entry.path().filename().string();
      if (name.rfind(prefix, 0) == 0) names.push_back(name.substr(prefix.size()));
    }
    return names;
  };
  const size_t before = blocks().size();
  runner.Press(*doc_.buttons[0]);
  runner.Press(*doc_.buttons[1]);
  EXPECT_TRUE(host_.texts.empty());
  const std::vector<pid_t> children = runner.RunningChildren();
  ASSERT_EQ(children.size(), 2u);
  const std::vector<std::string> started = blocks();
  ASSERT_EQ(started.size(), before + 2);
  auto block_of = [&](pid_t child) {
    std::string name;
    WaitFor([&] { return Exists(std::to_string(child) + ".block"); });
    std::ifstream(dir_ + "/" + std::to_string(child) + ".block") >> name;
    return name;
  };
  // The child started second registers first.
  const std::string first_block = block_of(children[0]);
  runner.Deliver({kMsgRegister, static_cast<uint32_t>(children[1]), 0});
  // The first child has not registered yet: its block is still there.
  StartBlock block;
  EXPECT_TRUE(block.Open(first_block));
  runner.Deliver({kMsgRegister, static_cast<uint32_t>(children[0]), 0});
  EXPECT_EQ(blocks().size(), before);
  for (pid_t child : children) helpers_.push_back(child);
}

}  // namespace
}  // namespace qel::launch
