// Texts at the widget boundary. Inside the suite every text is CP932 bytes;
// a widget shows and takes QString, so the conversion happens here and only
// here.
#ifndef QEL_GUI_QT_TEXT_H_
#define QEL_GUI_QT_TEXT_H_

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace qel::gui {

// CP932 bytes for a widget; bytes that are not CP932 show as U+FFFD.
QString FromCp932(std::string_view cp932);

// What a person typed, as CP932; nullopt when a character has no CP932 form.
std::optional<std::string> ToCp932(const QString& text);

// Text `id` of the calling program's string table; empty when there is none.
QString ProgramText(unsigned id);

// Text `id` of the string table registered under `module`; empty when none.
QString ModuleText(std::string_view module, unsigned id);

// The shared pieces' own texts (table "QELGUI").
inline constexpr unsigned kTextHelpMissing = 1;
inline constexpr unsigned kTextHelpNotOpened = 2;
inline constexpr unsigned kTextReady = 3;
inline constexpr unsigned kTextHelpTitle = 4;
inline constexpr unsigned kTextHelpContentsButton = 5;
inline constexpr unsigned kTextHelpIndexButton = 6;
inline constexpr unsigned kTextHelpBackButton = 7;
inline constexpr unsigned kTextHelpForwardButton = 8;
inline constexpr unsigned kTextHelpUsingButton = 9;
inline constexpr unsigned kTextHelpCloseButton = 10;
QString GuiText(unsigned id);

}  // namespace qel::gui

#endif  // QEL_GUI_QT_TEXT_H_
