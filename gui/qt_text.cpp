#include "gui/qt_text.h"

#include "platform/cp932.h"
#include "platform/string_table.h"

namespace qel::gui {

QString FromCp932(std::string_view cp932) {
  const std::string utf8 = platform::Cp932ToUtf8(cp932);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::optional<std::string> ToCp932(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return platform::Utf8ToCp932(std::string_view(utf8.constData(), utf8.size()));
}

QString ProgramText(unsigned id) {
  const auto text = platform::LoadProgramString(id);
  return text ? FromCp932(*text) : QString();
}

QString ModuleText(std::string_view module, unsigned id) {
  const auto text = platform::LoadModuleString(module, id);
  return text ? FromCp932(*text) : QString();
}

QString GuiText(unsigned id) { return ModuleText("QELGUI", id); }

}  // namespace qel::gui
