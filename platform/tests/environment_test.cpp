// "%name%" expansion, the log directory rule and the registry file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/environment.h"
#include "platform/registry.h"

namespace qel::platform {
namespace {

TEST(EnvironmentTest, ExpandsNamesIgnoringCaseAndKeepsUnknownOnes) {
  ::setenv("TEMP", "/var/tmp/q", 1);
  ::setenv("QEL_X", "x", 1);
  EXPECT_EQ(ExpandEnvironment("%temp%\\"), "/var/tmp/q\\");
  EXPECT_EQ(ExpandEnvironment("a%QEL_X%b%qel_x%"), "axbx");
  EXPECT_EQ(ExpandEnvironment("%NO_SUCH_VAR%"), "%NO_SUCH_VAR%");
  EXPECT_EQ(ExpandEnvironment("100%"), "100%");
  EXPECT_EQ(ExpandEnvironment("%NO_SUCH_VAR%QEL_X%"), "%NO_SUCH_VARx");
  EXPECT_EQ(LogDirectory(), "/var/tmp/q/");
  ::unsetenv("TEMP");
  EXPECT_EQ(LogDirectory(), "") << "without TEMP logs go to the current directory";
}

TEST(RegistryTest, ReadsValuesBySectionIgnoringCase) {
  const char* text =
      "; installation\r\n"
      "[SOFTWARE\\KORVATH\\QELLAR2\\]\r\n"
      "CurrentVersion=3.0\r\n"
      "[software\\korvath\\qellar2\\3.0\\PathName]\n"
      "Path00=/opt/qellar2\n"
      "[Other]\n"
      "Path00=wrong\n";
  EXPECT_EQ(LookUpRegistryText(text, "SOFTWARE\\KORVATH\\QELLAR2\\", "CurrentVersion"), "3.0");
  EXPECT_EQ(LookUpRegistryText(text, "SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName", "path00"),
            "/opt/qellar2");
  EXPECT_FALSE(LookUpRegistryText(text, "SOFTWARE\\KORVATH\\QELLAR2", "Path00"));
  EXPECT_FALSE(LookUpRegistryText("[unterminated\nPath00=x\n", "unterminated", "Path00"));
}

TEST(RegistryTest, MissingFileIsAFailedRead) {
  ::setenv("QELLAR_REGISTRY", "/nonexistent/registry.ini", 1);
  EXPECT_FALSE(ReadMachineRegistryValue("SOFTWARE\\KORVATH\\QELLAR2\\", "CurrentVersion"));
  std::string path = std::filesystem::temp_directory_path() / "qelregXXXXXX";
  int fd = ::mkstemp(path.data());
  ASSERT_GE(fd, 0);
  ::close(fd);
  std::ofstream(path) << "[K]\nV=1\n";
  ::setenv("QELLAR_REGISTRY", path.c_str(), 1);
  EXPECT_EQ(ReadMachineRegistryValue("K", "V"), "1");
  std::filesystem::remove(path);
  ::unsetenv("QELLAR_REGISTRY");
}

}  // namespace
}  // namespace qel::platform
