// The numbers of qelxform's own texts in its string table (strings.tsv):
// command prompts, captions, labels and the browse dialogs' titles and
// filters. Messages keep their message numbers (2708, 2704, ...).
#ifndef QEL_XFORM_QELXFORM_XFORM_TEXTS_H_
#define QEL_XFORM_QELXFORM_XFORM_TEXTS_H_

namespace qel::xform::gui {

// Commands of the "ﾌｧｲﾙ変換" menu; each one's text is "prompt\ntool tip".
inline constexpr unsigned kCmdSamToTxt = 101;
inline constexpr unsigned kCmdTxtToSam = 102;
inline constexpr unsigned kCmdSamToCsv = 103;
inline constexpr unsigned kCmdCsvToSam = 104;
inline constexpr unsigned kCmdIsamToCsv = 105;
inline constexpr unsigned kCmdVsamToSam = 106;
inline constexpr unsigned kCmdExit = 107;
// Prompts of the "表示" and "ﾍﾙﾌﾟ" menus' commands, in menu order.
inline constexpr unsigned kCmdViewToolBar = 108;
inline constexpr unsigned kCmdViewStatusBar = 109;
inline constexpr unsigned kCmdHelpContents = 110;
inline constexpr unsigned kCmdAbout = 113;

inline constexpr unsigned kTextAppTitle = 200;
inline constexpr unsigned kTextMenuFile = 201;
// The six conversion commands' labels: kTextCmdFirst + conversion index.
inline constexpr unsigned kTextCmdFirst = 202;
inline constexpr unsigned kTextCmdExit = 208;
inline constexpr unsigned kTextMenuView = 209;
inline constexpr unsigned kTextToolBar = 210;
inline constexpr unsigned kTextStatusBar = 211;
inline constexpr unsigned kTextMenuHelp = 212;
inline constexpr unsigned kTextHelpContents = 213;
inline constexpr unsigned kTextHelpSearch = 214;
inline constexpr unsigned kTextHelpUsing = 215;
inline constexpr unsigned kTextAbout = 216;

// Dialog titles: kTextDialogFirst + conversion index.
inline constexpr unsigned kTextDialogFirst = 220;

inline constexpr unsigned kTextLabelSam = 230;
inline constexpr unsigned kTextLabelText = 231;
inline constexpr unsigned kTextLabelRecordLength = 232;
inline constexpr unsigned kTextLabelDefinition = 233;
inline constexpr unsigned kTextLabelCsv = 234;
inline constexpr unsigned kTextLabelTitle = 235;
inline constexpr unsigned kTextLabelSeparator = 236;
inline constexpr unsigned kTextSpecialButton = 237;
inline constexpr unsigned kTextLabelIsam = 238;
inline constexpr unsigned kTextLabelVsam = 239;
inline constexpr unsigned kTextRun = 240;
inline constexpr unsigned kTextCancel = 241;
inline constexpr unsigned kTextHelp = 242;
inline constexpr unsigned kTextBrowse = 243;

inline constexpr unsigned kTextSpecialTitle = 250;
inline constexpr unsigned kTextBigEndian = 251;
inline constexpr unsigned kTextBlankWhenZero = 252;
inline constexpr unsigned kTextOk = 253;
inline constexpr unsigned kTextUtf8Csv = 254;

inline constexpr unsigned kTextBrowseInSam = 260;
inline constexpr unsigned kTextBrowseOutCsv = 261;
inline constexpr unsigned kTextBrowseInDefinition = 262;
inline constexpr unsigned kTextBrowseInIsam = 263;
inline constexpr unsigned kTextBrowseInCsv = 264;
inline constexpr unsigned kTextBrowseOutSam = 265;
inline constexpr unsigned kTextBrowseOutDefinition = 266;
inline constexpr unsigned kTextBrowseInText = 267;
inline constexpr unsigned kTextBrowseOutText = 268;
inline constexpr unsigned kTextBrowseInVsam = 269;

inline constexpr unsigned kTextFilterAll = 270;
inline constexpr unsigned kTextFilterIsam = 271;
inline constexpr unsigned kTextFilterDefinition = 272;

inline constexpr unsigned kTextRunInfoCaption = 280;
inline constexpr unsigned kTextRunInfoText = 281;
inline constexpr unsigned kTextRunInfoCount = 282;

inline constexpr unsigned kTextAboutBody = 290;

}  // namespace qel::xform::gui

#endif  // QEL_XFORM_QELXFORM_XFORM_TEXTS_H_
