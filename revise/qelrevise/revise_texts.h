// The numbers of qelrevise's own window texts in its string table
// (qelrevise_strings.tsv): command prompts, menus, the form's captions and
// the dialogs' labels. Messages keep their message numbers (2011, 2004 ...).
#ifndef QEL_REVISE_QELREVISE_REVISE_TEXTS_H_
#define QEL_REVISE_QELREVISE_REVISE_TEXTS_H_

namespace qel::revise::gui {

// Commands; each one's text is "prompt\ntool tip".
inline constexpr unsigned kCmdFileSettings = 101;
inline constexpr unsigned kCmdCloseFile = 102;
inline constexpr unsigned kCmdExit = 103;
inline constexpr unsigned kCmdCopyRecord = 104;
inline constexpr unsigned kCmdFirstRecord = 105;
inline constexpr unsigned kCmdLastRecord = 106;
inline constexpr unsigned kCmdSpecialOptions = 107;
inline constexpr unsigned kCmdHelp = 108;
inline constexpr unsigned kCmdAbout = 109;

inline constexpr unsigned kTextAppTitle = 200;
inline constexpr unsigned kTextMenuFile = 201;
inline constexpr unsigned kTextFileSettings = 202;
inline constexpr unsigned kTextCloseFile = 203;
inline constexpr unsigned kTextExit = 204;
inline constexpr unsigned kTextMenuEdit = 205;
inline constexpr unsigned kTextCopyRecord = 206;
inline constexpr unsigned kTextFirstRecord = 207;
inline constexpr unsigned kTextLastRecord = 208;
inline constexpr unsigned kTextMenuView = 209;
inline constexpr unsigned kTextToolBar = 210;
inline constexpr unsigned kTextStatusBar = 211;
inline constexpr unsigned kTextMenuOptions = 212;
inline constexpr unsigned kTextSpecialOptions = 213;
inline constexpr unsigned kTextMenuHelp = 214;
inline constexpr unsigned kTextHelpContents = 215;
inline constexpr unsigned kTextHelpSearch = 216;
inline constexpr unsigned kTextHelpUsing = 217;
inline constexpr unsigned kTextAbout = 218;
inline constexpr unsigned kTextAboutBody = 219;

// The form.
inline constexpr unsigned kTextModeGroup = 300;
inline constexpr unsigned kTextModeUpdate = 301;
inline constexpr unsigned kTextModeInput = 302;
inline constexpr unsigned kTextKeyType = 303;
inline constexpr unsigned kTextKeyList = 304;
inline constexpr unsigned kTextKeyLabel = 305;
inline constexpr unsigned kTextRecordNumberLabel = 306;
inline constexpr unsigned kTextDisplay = 307;
inline constexpr unsigned kTextClose = 308;
inline constexpr unsigned kTextDelete = 309;
inline constexpr unsigned kTextPrevious = 310;
inline constexpr unsigned kTextNext = 311;
inline constexpr unsigned kTextRegister = 312;
inline constexpr unsigned kTextFormHelp = 313;

// The file settings dialog.
inline constexpr unsigned kTextSettingsTitle = 400;
inline constexpr unsigned kTextDataFile = 401;
inline constexpr unsigned kTextDefinitionFile = 402;
inline constexpr unsigned kTextTitle = 403;
inline constexpr unsigned kTextShare = 404;
inline constexpr unsigned kTextItemSelection = 405;
inline constexpr unsigned kTextElementaryOnly = 406;
inline constexpr unsigned kTextOk = 407;
inline constexpr unsigned kTextCancel = 408;
inline constexpr unsigned kTextSettingsHelp = 409;
inline constexpr unsigned kTextBrowse = 410;
inline constexpr unsigned kTextBrowseData = 411;
inline constexpr unsigned kTextBrowseDefinition = 412;
inline constexpr unsigned kTextFilterAll = 413;
inline constexpr unsigned kTextFilterKey = 414;
inline constexpr unsigned kTextFilterDefinition = 415;

// The special options dialog.
inline constexpr unsigned kTextSpecialTitle = 500;
inline constexpr unsigned kTextBigEndian = 501;
inline constexpr unsigned kTextNoTruncation = 502;
inline constexpr unsigned kTextFiller = 503;
inline constexpr unsigned kTextSpecialHelp = 504;

// The key list dialog.
inline constexpr unsigned kTextKeyListTitle = 600;
inline constexpr unsigned kTextHeadKey = 601;
inline constexpr unsigned kTextHeadAttribute = 602;
inline constexpr unsigned kTextHeadLength = 603;
inline constexpr unsigned kTextHeadPosition = 604;

// Help contexts of the commands and dialogs.
inline constexpr int kHelpContents = 10;
inline constexpr int kHelpSpecialOptions = 30;
inline constexpr int kHelpFileSettings = 41;
inline constexpr int kHelpForm = 74;

}  // namespace qel::revise::gui

#endif  // QEL_REVISE_QELREVISE_REVISE_TEXTS_H_
