#include "launch/menu_printer.h"

#include <QPainter>

#include "gui/qt_text.h"
#include "gui/window_program.h"
#include "launch/menu_print.h"

namespace qel::launch {

int PrintMenu(const CQelstartDoc& doc, QPrinter& printer, std::time_t when) {
  QPainter painter;
  if (!painter.begin(&printer)) return 0;
  QFont font = qel::gui::JapaneseFont();
  font.setPointSize(10);
  painter.setFont(font);
  const int line = painter.fontMetrics().lineSpacing();
  const QRect page = painter.viewport();
  const int per_page = MenuPrintEntriesPerPage(page.height() / line);
  const std::vector<PrintEntry> entries = MenuPrintEntries(doc);
  const QString title = qel::gui::FromCp932(doc.title);
  int pages = 0;
  for (size_t first = 0; first < entries.size() || pages == 0; first += per_page) {
    if (pages > 0) printer.newPage();
    ++pages;
    const QRect header(0, 0, page.width(), line);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter,
                     qel::gui::FromCp932(MenuPrintHeaderRight(when, pages)));
    painter.drawLine(0, line + line / 4, page.width(), line + line / 4);
    for (size_t i = first; i < entries.size() && i < first + per_page; ++i) {
      const int top = (2 + static_cast<int>(i - first) * 6) * line;
      for (size_t l = 0; l < entries[i].size(); ++l) {
        painter.drawText(QRect(line, top + static_cast<int>(l) * line, page.width() - line, line),
                         Qt::AlignLeft | Qt::AlignVCenter, qel::gui::FromCp932(entries[i][l]));
      }
    }
    if (entries.empty()) break;
  }
  painter.end();
  return pages;
}

}  // namespace qel::launch
