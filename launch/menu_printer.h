// Printing a menu's listing (menu_print.h) through QPrinter: the header line
// with the title at the left and the date and page number at the right, a
// rule below it, then the entries, each in a band of six lines.
#ifndef QEL_LAUNCH_MENU_PRINTER_H_
#define QEL_LAUNCH_MENU_PRINTER_H_

#include <QPrinter>
#include <ctime>

#include "launch/menu_document.h"

namespace qel::launch {

// Prints `doc` on `printer`; returns the number of pages, 0 when the
// printer cannot be painted on.
int PrintMenu(const CQelstartDoc& doc, QPrinter& printer, std::time_t when = std::time(nullptr));

}  // namespace qel::launch

#endif  // QEL_LAUNCH_MENU_PRINTER_H_
