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
inline constexpr int kTextSaveFailed = 16;        // %s を保存できません。
inline constexpr int kTextSaveQuestion = 17;      // %s を保存しますか?
inline constexpr int kTextBadPicture = 18;        // 画像ファイル名が不正、又は画像ファイルが有りません
inline constexpr int kTextOneFileOnly = 19;       // 複数ファイルのドラッグ＆ドロップは...
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
// Design mode: menus and commands (220-241), file filters and dialogs.
inline constexpr int kTextNew = 220;
inline constexpr int kTextOpen = 221;
inline constexpr int kTextSave = 222;
inline constexpr int kTextSaveAs = 223;
inline constexpr int kTextPrint = 224;
inline constexpr int kTextMenuCreate = 225;
inline constexpr int kTextToolNone = 226;  // then the nine tools, 227-235
inline constexpr int kTextMenuEdit = 236;
inline constexpr int kTextDelete = 237;
inline constexpr int kTextDeleteAll = 238;
inline constexpr int kTextToFront = 239;
inline constexpr int kTextToBack = 240;
inline constexpr int kTextGrid = 241;
inline constexpr int kTextMenuFilter = 242;
inline constexpr int kTextGridDialog = 263;
inline constexpr int kTextGridOn = 264;
inline constexpr int kTextGridWidth = 265;
inline constexpr int kTextGridHeight = 266;
inline constexpr int kTextGridRange = 267;
inline constexpr int kTextPfDialog = 268;
inline constexpr int kTextPfFixed = 269;
inline constexpr int kTextPfFunctionEnd = 270;  // then 初画面, 前画面, コマンドライン
inline constexpr int kTextPfButton = 274;
inline constexpr int kTextPfTitle = 275;
inline constexpr int kTextBackgroundDialog = 276;
inline constexpr int kTextFileTitleDialog = 277;
inline constexpr int kTextFileTitleLabel = 278;
inline constexpr int kTextFileTitleCommand = 279;
inline constexpr int kTextCut = 260;
inline constexpr int kTextCopy = 261;
inline constexpr int kTextPaste = 262;
inline constexpr int kTextTextDialog = 243;
inline constexpr int kTextTextLabel = 244;
inline constexpr int kTextButtonDialog = 245;
inline constexpr int kTextButtonTitle = 246;
inline constexpr int kTextButtonNumber = 247;
inline constexpr int kTextButtonEnd = 248;
inline constexpr int kTextButtonFile = 249;
inline constexpr int kTextButtonParameters = 250;
inline constexpr int kTextButtonWait = 251;
inline constexpr int kTextButtonIconic = 252;
inline constexpr int kTextBrowse = 253;
inline constexpr int kTextPictureBrowseTitle = 254;
inline constexpr int kTextPictureFilter = 255;
inline constexpr int kTextProgramBrowseTitle = 256;
inline constexpr int kTextButtonBrowseTitle = 257;
inline constexpr int kTextButtonFileFilter = 258;
inline constexpr int kTextProgramFilter = 259;
inline constexpr int kTextFontDialog = 280;      // 文字属性
inline constexpr int kTextColorDialog = 281;
inline constexpr int kTextLineDialog = 282;      // 線
inline constexpr int kTextLineStyle = 283;
inline constexpr int kTextColorLabel = 284;
inline constexpr int kTextColorChange = 285;     // 色変更...
inline constexpr int kTextPenSolid = 286;        // then dash, dot, dash-dot, dash-dot-dot
inline constexpr int kTextFrameDialog = 291;     // 枠
inline constexpr int kTextFrameStyle = 292;
inline constexpr int kTextFrameNone = 293;       // then 影付き, くぼみ, 浮き出し, 溝線
inline constexpr int kTextPictureDialog = 298;   // 画像
inline constexpr int kTextPictureFile = 299;
inline constexpr int kTextIconDialog = 330;      // プログラム起動
inline constexpr int kTextIconProgram = 331;
inline constexpr int kTextIconFile = 332;
inline constexpr int kTextIconParameters = 333;
inline constexpr int kTextIconBrowseTitle = 334;
inline constexpr int kTextIconFilter = 335;
inline constexpr int kTextNoIcon = 336;          // アイコンの存在しないファイルです
inline constexpr int kTextHelpKeyCommands = 337; // コマンド
inline constexpr int kTextHelpKeyKeys = 338;     // キーボード
inline constexpr int kTextFontCommand = 339;
inline constexpr int kTextColorCommand = 340;
inline constexpr int kTextHelpCommands = 341;
inline constexpr int kTextHelpKeys = 342;
inline constexpr int kTextIconList = 343;
// Command prompts ("prompt\ntool tip").
inline constexpr int kCmdExit = 300;
inline constexpr int kCmdRecent = 301;
inline constexpr int kCmdAbout = 302;
inline constexpr int kCmdNew = 303;
inline constexpr int kCmdOpen = 304;
inline constexpr int kCmdSave = 305;
inline constexpr int kCmdSaveAs = 306;
inline constexpr int kCmdPrint = 307;
inline constexpr int kCmdTool = 308;
inline constexpr int kCmdDelete = 309;
inline constexpr int kCmdDeleteAll = 310;
inline constexpr int kCmdToFront = 311;
inline constexpr int kCmdToBack = 312;
inline constexpr int kCmdGrid = 313;
inline constexpr int kCmdFileTitle = 317;
inline constexpr int kCmdCut = 314;
inline constexpr int kCmdCopy = 315;
inline constexpr int kCmdPaste = 316;
inline constexpr int kCmdFont = 318;
inline constexpr int kCmdColor = 319;
inline constexpr int kCmdHelpCommands = 320;
inline constexpr int kCmdHelpKeys = 321;

// The text id for a failed start: the table entry of `code`, or the
// unknown-error line for any other code.
inline int StartErrorText(int code) {
  return code >= 0 && code < kStartErrorCodes ? kTextStartError + code : kTextUnknownStartError;
}

}  // namespace qel::launch
