// The numbers of qelrework's own texts in its string table
// (qelrework_strings.tsv): command prompts (under the command's number),
// menu labels, dialog captions and labels, list-line words and questions.
// Messages keep their message numbers (2001, 2101, 2201, ...).
#ifndef QEL_REWORK_QELREWORK_REWORK_TEXTS_H_
#define QEL_REWORK_QELREWORK_REWORK_TEXTS_H_

namespace qel::rework {

// Menu commands; the text under each number is "prompt\ntool tip".
inline constexpr unsigned kCmdFiles = 32774;
inline constexpr unsigned kCmdRun = 32778;
inline constexpr unsigned kCmdExit = 32787;
inline constexpr unsigned kCmdConditions = 32772;
inline constexpr unsigned kCmdToolBar = 59392;
inline constexpr unsigned kCmdStatusBar = 59393;
inline constexpr unsigned kCmdOpen = 32789;
inline constexpr unsigned kCmdSave = 32791;
inline constexpr unsigned kCmdSaveAs = 32790;
inline constexpr unsigned kCmdCheck = 32793;
inline constexpr unsigned kCmdEditOptions = 32780;
inline constexpr unsigned kCmdMetacharacters = 32773;
inline constexpr unsigned kCmdSpecialOptions = 32798;
inline constexpr unsigned kCmdEditList = 32784;
inline constexpr unsigned kCmdHelpContents = 32776;
inline constexpr unsigned kCmdHelpSearch = 32777;
inline constexpr unsigned kCmdHelpUsing = 32779;
inline constexpr unsigned kCmdAboutEdit = 57664;
inline constexpr unsigned kCmdAboutSelection = 32788;
// The view's command that makes a constant the source of the output item
// picked last.
inline constexpr unsigned kCmdConstant = 32800;

// Window and menus.
inline constexpr unsigned kTextAppTitle = 100;
inline constexpr unsigned kTextAppTitleSelection = 101;
inline constexpr unsigned kTextMenuFile = 102;
inline constexpr unsigned kTextMenuOptions = 103;
inline constexpr unsigned kTextMenuView = 104;
inline constexpr unsigned kTextMenuHelp = 105;
inline constexpr unsigned kTextLabelFiles = 110;
inline constexpr unsigned kTextLabelRun = 111;
inline constexpr unsigned kTextLabelExit = 112;
inline constexpr unsigned kTextLabelConditions = 113;
inline constexpr unsigned kTextLabelToolBar = 114;
inline constexpr unsigned kTextLabelStatusBar = 115;
inline constexpr unsigned kTextLabelOpen = 116;
inline constexpr unsigned kTextLabelSave = 117;
inline constexpr unsigned kTextLabelSaveAs = 118;
inline constexpr unsigned kTextLabelCheck = 119;
inline constexpr unsigned kTextLabelEditOptions = 120;
inline constexpr unsigned kTextLabelMetacharacters = 121;
inline constexpr unsigned kTextLabelSpecialOptions = 122;
inline constexpr unsigned kTextLabelEditList = 123;
inline constexpr unsigned kTextLabelHelpContents = 124;
inline constexpr unsigned kTextLabelHelpSearch = 125;
inline constexpr unsigned kTextLabelHelpUsing = 126;
inline constexpr unsigned kTextLabelAbout = 127;
inline constexpr unsigned kTextLabelConstant = 128;

// The view's headings.
inline constexpr unsigned kTextInputItems = 140;
inline constexpr unsigned kTextOutputItems = 141;
inline constexpr unsigned kTextEditEntries = 142;
inline constexpr unsigned kTextConditionsHeading = 143;

// Common buttons.
inline constexpr unsigned kTextOk = 150;
inline constexpr unsigned kTextCancel = 151;
inline constexpr unsigned kTextEnd = 152;

// "入出力ファイルの設定".
inline constexpr unsigned kTextFilesTitle = 160;
inline constexpr unsigned kTextInData = 161;
inline constexpr unsigned kTextInDef = 162;
inline constexpr unsigned kTextOutData = 163;
inline constexpr unsigned kTextOutDef = 164;
inline constexpr unsigned kTextBrowseI = 165;
inline constexpr unsigned kTextBrowseJ = 166;
inline constexpr unsigned kTextBrowseO = 167;
inline constexpr unsigned kTextBrowseP = 168;
inline constexpr unsigned kTextBrowseInData = 170;
inline constexpr unsigned kTextBrowseInDef = 171;
inline constexpr unsigned kTextBrowseOutData = 172;
inline constexpr unsigned kTextBrowseOutDef = 173;
inline constexpr unsigned kTextFilterInData = 174;
inline constexpr unsigned kTextFilterDefinition = 175;
inline constexpr unsigned kTextFilterOutData = 176;
inline constexpr unsigned kTextFilterProcedureOpen = 177;
inline constexpr unsigned kTextFilterProcedureSave = 178;
inline constexpr unsigned kTextSaveAsTitle = 179;

// "選択条件定義" and "複数比較条件の設定".
inline constexpr unsigned kTextConditionsTitle = 180;
inline constexpr unsigned kTextKeyItem = 181;
inline constexpr unsigned kTextOperator = 182;
inline constexpr unsigned kTextComparison = 183;
inline constexpr unsigned kTextRegister = 184;
inline constexpr unsigned kTextDelete = 185;
inline constexpr unsigned kTextCopy = 186;
inline constexpr unsigned kTextSeveral = 187;
inline constexpr unsigned kTextExpression = 188;
inline constexpr unsigned kTextLegend = 189;
inline constexpr unsigned kTextConditionList = 190;
inline constexpr unsigned kTextSeveralTitle = 191;
// Labels "１" to "１０" of the several-comparisons boxes.
inline constexpr unsigned kTextSeveralFirst = 192;  // .. 201
// Operators ＝ ≠ ＞ ≧ ＜ ≦ in code order 1 to 6.
inline constexpr unsigned kTextOperatorFirst = 210;  // .. 215
inline constexpr unsigned kTextSeveralMark = 216;
inline constexpr unsigned kTextSeveralFaultMark = 217;

// "定数指定".
inline constexpr unsigned kTextConstantTitle = 220;
inline constexpr unsigned kTextConstantLabel = 221;
inline constexpr unsigned kTextConstantDestination = 222;

// "編集オプションの設定".
inline constexpr unsigned kTextEditOptionsTitle = 230;
inline constexpr unsigned kTextMethodGroup = 231;
inline constexpr unsigned kTextMethodAppointed = 232;
inline constexpr unsigned kTextMethodSameName = 233;
inline constexpr unsigned kTextCopyGroup = 234;
inline constexpr unsigned kTextCopyNo = 235;
inline constexpr unsigned kTextCopyYes = 236;

// "メタキャラクタの指定".
inline constexpr unsigned kTextMetaTitle = 240;
inline constexpr unsigned kTextMetaAll = 241;
inline constexpr unsigned kTextMetaOne = 242;

// "特殊オプションの設定".
inline constexpr unsigned kTextSpecialTitle = 245;
inline constexpr unsigned kTextBigEndian = 246;
inline constexpr unsigned kTextBlankWhenZero = 247;

// "編集項目".
inline constexpr unsigned kTextEditListTitle = 250;
inline constexpr unsigned kTextDeleteQuestion = 251;

// "入力手順ファイルを開く".
inline constexpr unsigned kTextOpenTitle = 255;
inline constexpr unsigned kTextProcedureName = 256;
inline constexpr unsigned kTextBrowseProcedure = 257;

// "パラメタエラー一覧" and "編集パラメタエラー更新".
inline constexpr unsigned kTextFaultsTitle = 260;
inline constexpr unsigned kTextSelectionFaults = 261;
inline constexpr unsigned kTextCorrectSelection = 262;
inline constexpr unsigned kTextEditFaults = 263;
inline constexpr unsigned kTextCorrectEdit = 264;
inline constexpr unsigned kTextDeleteEntry = 265;
inline constexpr unsigned kTextCheckAgain = 266;
inline constexpr unsigned kTextDeleteEntryQuestion = 267;
inline constexpr unsigned kTextEndWithoutCheck = 268;
inline constexpr unsigned kTextFaultOfCondition = 269;
inline constexpr unsigned kTextConditionNumberSuffix = 270;
inline constexpr unsigned kTextFaultOfExpression = 271;
inline constexpr unsigned kTextArrow = 272;
inline constexpr unsigned kTextCorrectTitle = 275;
inline constexpr unsigned kTextInputGroup = 276;
inline constexpr unsigned kTextItemSetting = 277;
inline constexpr unsigned kTextConstantSetting = 278;
inline constexpr unsigned kTextOutputGroup = 279;
inline constexpr unsigned kTextFaultText = 280;

// "実行中インフォメーション" and "実行結果".
inline constexpr unsigned kTextRunInfoTitle = 285;
inline constexpr unsigned kTextRunInfoText = 286;
inline constexpr unsigned kTextRunInfoCounts = 287;
inline constexpr unsigned kTextResultTitle = 288;
inline constexpr unsigned kTextResultRead = 289;
inline constexpr unsigned kTextResultWritten = 290;

// The close question and the About box.
inline constexpr unsigned kTextCloseQuestion = 295;
inline constexpr unsigned kTextAboutBody = 296;
// The arrow of an edit-entry line (20 columns).
inline constexpr unsigned kTextEntryArrow = 297;

}  // namespace qel::rework

#endif  // QEL_REWORK_QELREWORK_REWORK_TEXTS_H_
