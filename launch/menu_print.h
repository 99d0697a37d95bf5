// The printed listing of a menu's definitions: one entry per button, PF-key
// entry and icon, in that order, each at most six lines, under a header line
// on every page. Texts are CP932 bytes, as in the document.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "launch/menu_document.h"

namespace qel::launch {

// Lines of one entry of the listing.
using PrintEntry = std::vector<std::string>;

// The entries of `doc`: its buttons (or the one line saying it has none),
// its PF-key entries and its icons.
std::vector<PrintEntry> MenuPrintEntries(const CQelstartDoc& doc);

// The right part of a page's header line: "日付 %y-%m-%d Page : n".
std::string MenuPrintHeaderRight(std::time_t when, int page);

// How many entries fit a page of `page_lines` lines: (lines − 6) / 6, at
// least one.
int MenuPrintEntriesPerPage(int page_lines);

}  // namespace qel::launch
