// A fresh TEMP directory per test, and small file helpers, for the log tests.
#ifndef QEL_MESSAGE_TESTS_LOG_FIXTURE_H_
#define QEL_MESSAGE_TESTS_LOG_FIXTURE_H_

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace qel::message::testing {

class LogDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base ? base : "/tmp") + "/qellogXXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    if (const char* old = std::getenv("TEMP")) old_temp_ = old;
    ::setenv("TEMP", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (old_temp_) {
      ::setenv("TEMP", old_temp_->c_str(), 1);
    } else {
      ::unsetenv("TEMP");
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void Write(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
  }
  static bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
  }
  static std::vector<std::string> Lines(const std::string& data) {
    std::vector<std::string> lines;
    std::istringstream in(data);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string dir_;
  std::optional<std::string> old_temp_;
};

}  // namespace qel::message::testing

#endif  // QEL_MESSAGE_TESTS_LOG_FIXTURE_H_
