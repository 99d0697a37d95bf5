// Dynamic loading: a bare library name is found beside the platform library.
#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

namespace qel::platform {
namespace {

TEST(DynamicLibraryTest, BareNameIsFoundBesideTheSuitesLibraries) {
  LibraryHandle lib = LoadLibraryByName("libqel_dl_probe.so");
  ASSERT_NE(lib, nullptr);
  auto answer = reinterpret_cast<int (*)()>(FindEntryPoint(lib, "QelProbeAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 4711);
  EXPECT_EQ(FindEntryPoint(lib, "NoSuchEntry"), nullptr);
  ReleaseLibrary(lib);
}

TEST(DynamicLibraryTest, MissingLibraryOrNameGivesNull) {
  EXPECT_EQ(LoadLibraryByName("libqel_no_such_library.so"), nullptr);
  EXPECT_EQ(LoadLibraryByName(""), nullptr);
  EXPECT_EQ(LoadLibraryByName(nullptr), nullptr);
  EXPECT_EQ(FindEntryPoint(nullptr, "x"), nullptr);
  ReleaseLibrary(nullptr);
}

}  // namespace
}  // namespace qel::platform
