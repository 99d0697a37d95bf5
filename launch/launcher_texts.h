// Numbers of the launcher's texts in its string table (qelstart/strings.tsv).
// Launcher messages are plain texts without a message id.
#pragma once

namespace qel::launch {

inline constexpr int kTextCaption = 1;            // caption of the launcher's boxes
inline constexpr int kTextBadParameter = 2;       // 起動パラメタが不正です
inline constexpr int kTextMapFailed = 3;          // マップファイルの生成に失敗しました。
inline constexpr int kTextTempFileFailed = 4;     // 一時ファイルの作成に失敗しました
inline constexpr int kTextWaiting = 5;            // 終了待ちのため操作できません。
inline constexpr int kTextEndPressed = 6;         // '終了'が押されました。...
inline constexpr int kTextInvalidNumber = 7;      // 正しい数値を入力してください。
inline constexpr int kTextNoSuchNumber = 8;       // 指定されたメニュー番号は存在しません。
inline constexpr int kTextMenuMissing = 9;        // 指定されたメニューファイルが存在しません
inline constexpr int kTextIncomplete = 10;        // このファイルは不完全の為、実行できません
inline constexpr int kTextOutOfMemory = 11;       // メモリ不足が発生しました
inline constexpr int kTextPanoplyMissing = 12;    // the batch program of .DME files is absent
inline constexpr int kTextUnknownStartError = 13; // WinExecで不当なエラー(%u)を検出しました
inline constexpr int kTextSocketFailed = 14;      // the chain's socket cannot be made
// Start failures: kTextStartError + the system's error code (0 to 21).
inline constexpr int kTextStartError = 100;
inline constexpr int kStartErrorCodes = 22;

// Window texts.
inline constexpr int kTextTitle = 200;            // window title of a menu without a title
inline constexpr int kTextPfEnd = 201;            // 終  了
inline constexpr int kTextPfFirst = 202;          // 初画面
inline constexpr int kTextPfPrevious = 203;       // 前画面
inline constexpr int kTextPfCommand = 204;        // 切　替
inline constexpr int kTextMenuFile = 210;
inline constexpr int kTextExit = 211;
inline constexpr int kTextMenuHelp = 212;
inline constexpr int kTextAbout = 213;
inline constexpr int kTextWaitingStatus = 214;
inline constexpr int kTextAboutBox = 215;
// Command prompts ("prompt\ntool tip").
inline constexpr int kCmdExit = 300;
inline constexpr int kCmdRecent = 301;
inline constexpr int kCmdAbout = 302;

// The text id for a failed start: the table entry of `code`, or the
// unknown-error line for any other code.
inline int StartErrorText(int code) {
  return code >= 0 && code < kStartErrorCodes ? kTextStartError + code : kTextUnknownStartError;
}

}  // namespace qel::launch
