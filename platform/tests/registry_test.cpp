// The machine registry file: sections as key paths, values by name.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/tests/temp_dir.h"

namespace qel::platform {
namespace {

constexpr const char* kText =
    "; the suite's machine settings\r\n"
    "[SOFTWARE\\KORVATH\\QELLAR2]\r\n"
    "CurrentVersion=3.0\r\n"
    "\r\n"
    "# versioned key\n"
    "[ software\\korvath\\qellar2\\3.0\\PathName\\ ]\n"
    "  Path00 = /opt/qellar dir=x \n"
    "Empty=\n"
    "[SOFTWARE\\Broken\n"
    "Hidden=1\n";

TEST(RegistryTextTest, FindsValuesByKeyAndNameIgnoringCase) {
  EXPECT_EQ(LookUpRegistryText(kText, "SOFTWARE\\KORVATH\\QELLAR2\\", "CurrentVersion"), "3.0");
  EXPECT_EQ(LookUpRegistryText(kText, "SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName", "PATH00"),
            " /opt/qellar dir=x ");
  EXPECT_EQ(LookUpRegistryText(kText, "SOFTWARE\\KORVATH\\QELLAR2\\3.0\\PathName", "Empty"), "");
}

TEST(RegistryTextTest, MissingKeyOrValueIsAFailedRead) {
  EXPECT_EQ(LookUpRegistryText(kText, "SOFTWARE\\KORVATH\\QELLAR2", "Path00"), std::nullopt);
  EXPECT_EQ(LookUpRegistryText(kText, "SOFTWARE\\KORVATH", "CurrentVersion"), std::nullopt);
  EXPECT_EQ(LookUpRegistryText(kText, "SOFTWARE\\Broken", "Hidden"), std::nullopt);
  EXPECT_EQ(LookUpRegistryText(kText, "SOFTWARE\\KORVATH\\QELLAR2", ""), std::nullopt);
  EXPECT_EQ(LookUpRegistryText("", "A", "B"), std::nullopt);
  EXPECT_EQ(LookUpRegistryText("Name=outside any key\n", "", "Name"), std::nullopt);
}

using RegistryFileTest = testing::TempDirTest;

TEST_F(RegistryFileTest, ReadsTheFileNamedByQellarRegistry) {
  Write(Path("registry.ini"), kText);
  ::setenv("QELLAR_REGISTRY", Path("registry.ini").c_str(), 1);
  EXPECT_EQ(ReadMachineRegistryValue("SOFTWARE\\KORVATH\\QELLAR2", "CurrentVersion"), "3.0");
  ::setenv("QELLAR_REGISTRY", Path("missing.ini").c_str(), 1);
  EXPECT_EQ(ReadMachineRegistryValue("SOFTWARE\\KORVATH\\QELLAR2", "CurrentVersion"), std::nullopt);
  ::unsetenv("QELLAR_REGISTRY");
}

TEST(RegistryBesideTest, AnInstallKeepsItsFileInTheEtcOfItsPrefix) {
  EXPECT_EQ(RegistryFileBeside("/usr/bin"), "/etc/qellar2/registry.ini");
  EXPECT_EQ(RegistryFileBeside("/srv/root/usr/bin/"), "/srv/root/etc/qellar2/registry.ini");
  EXPECT_EQ(RegistryFileBeside("/usr/local/bin"), "/usr/local/etc/qellar2/registry.ini");
  EXPECT_EQ(RegistryFileBeside("/home/u/qel/bin"), "/home/u/qel/etc/qellar2/registry.ini");
}

TEST_F(RegistryFileTest, QellarRegistryComesBeforeTheInstalledFile) {
  ::setenv("QELLAR_REGISTRY", Path("mine.ini").c_str(), 1);
  EXPECT_EQ(RegistryFilePath(), Path("mine.ini"));
  ::setenv("QELLAR_REGISTRY", "", 1);
  EXPECT_NE(RegistryFilePath(), "");
  ::unsetenv("QELLAR_REGISTRY");
}

}  // namespace
}  // namespace qel::platform
