// "%name%" expansion and the log directory rule.
#include "platform/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace qel::platform {
namespace {

class EnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* t = std::getenv("TEMP")) old_temp_ = t;
  }
  void TearDown() override {
    if (old_temp_) {
      ::setenv("TEMP", old_temp_->c_str(), 1);
    } else {
      ::unsetenv("TEMP");
    }
    ::unsetenv("QEL_ENV_TEST");
  }
  std::optional<std::string> old_temp_;
};

TEST_F(EnvironmentTest, TempIsFoundIgnoringCase) {
  ::setenv("TEMP", "/var/tmp/logs", 1);
  EXPECT_EQ(ExpandEnvironment("%temp%"), "/var/tmp/logs");
  EXPECT_EQ(ExpandEnvironment("%TEMP%\\QELXFORM.LOG"), "/var/tmp/logs\\QELXFORM.LOG");
  EXPECT_EQ(LogDirectory(), "/var/tmp/logs/");
  ::setenv("TEMP", "/var/tmp/", 1);
  EXPECT_EQ(LogDirectory(), "/var/tmp/");
}

TEST_F(EnvironmentTest, UnsetVariableStaysUnexpanded) {
  ::unsetenv("TEMP");
  EXPECT_EQ(ExpandEnvironment("%temp%"), "%temp%");
  EXPECT_EQ(LogDirectory(), "");
  ::setenv("QEL_ENV_TEST", "v", 1);
  EXPECT_EQ(ExpandEnvironment("a%nosuch%b%QEL_ENV_TEST%c"), "a%nosuch%bvc");
  EXPECT_EQ(ExpandEnvironment("100% and %"), "100% and %");
  EXPECT_EQ(ExpandEnvironment("%%"), "%%");
}

TEST_F(EnvironmentTest, SeveralVariablesExpandInPlace) {
  ::setenv("TEMP", "T", 1);
  ::setenv("QEL_ENV_TEST", "V", 1);
  EXPECT_EQ(ExpandEnvironment("<%temp%|%qel_env_test%>"), "<T|V>");
}

}  // namespace
}  // namespace qel::platform
