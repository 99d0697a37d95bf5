// System error codes in message inserts carry their meaning.
#include "message/system_error_text.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/system_error.h"

namespace qel::message {
namespace {

std::string Cp932(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }

TEST(SystemErrorTextTest, CodeIsFollowedByItsMeaning) {
  EXPECT_EQ(SystemErrorInsert("112"), "112 " + Cp932("ディスクがいっぱいです"));
  // Sub-codes come padded.
  EXPECT_EQ(SystemErrorInsert("     112"), "112 " + Cp932("ディスクがいっぱいです"));
  EXPECT_EQ(SystemErrorInsert("00000005"), "5 " + Cp932("アクセスが拒否されました"));
  EXPECT_EQ(SystemErrorInsert(std::to_string(platform::kErrorIoDevice)),
            "1117 " + Cp932("入出力デバイスエラーが発生しました"));
}

TEST(SystemErrorTextTest, EveryCodeTheSuiteMapsHasAMeaning) {
  for (int e : {ENOENT, ENOTDIR, EACCES, EMFILE, EBADF, ENOMEM, EWOULDBLOCK, EEXIST, EINVAL, EPIPE,
                ENOSPC, ENAMETOOLONG, EFBIG, EIO}) {
    EXPECT_FALSE(SystemErrorMeaning(platform::SystemErrorFromErrno(e)).empty()) << e;
  }
}

TEST(SystemErrorTextTest, OtherTextsStayAsTheyAre) {
  for (const char* text : {"", "abc", "12a", "99999", "1234567890123", "-5"}) {
    EXPECT_EQ(SystemErrorInsert(text), text);
  }
}

}  // namespace
}  // namespace qel::message
