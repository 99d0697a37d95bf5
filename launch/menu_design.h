// Design operations on a menu document, without a window: the rectangle a
// drag makes (grid, normalising, clamping, minimum sizes), creating objects
// of the nine tools within the menu's limits, the PF-key guidance row,
// moving, resizing, the drawing order and deleting. Messages are CP932 texts.
#pragma once

#include <string>
#include <vector>

#include "launch/menu_document.h"

namespace qel::launch {

enum class DesignTool {
  kNone = 0,
  kText = 1,
  kButton = 2,
  kPicture = 3,
  kFrame = 4,
  kRectangle = 5,
  kLine = 6,
  kIcon = 7,
  kPfGuidance = 8,
  kInput = 9,
};

inline constexpr size_t kMaxMenuObjects = 128;
inline constexpr int kPfGuidanceGap = 10;

struct DesignPoint {
  int x = 0;
  int y = 0;
  bool operator==(const DesignPoint&) const = default;
};

struct DesignBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const DesignBox&) const = default;
};

struct DesignGrid {
  bool on = false;
  int width = 8;   // 1 to 24
  int height = 8;  // 1 to 24
};

// What a design step needs to know of the window.
struct DesignArea {
  int client_width = 640;
  int client_height = 480;
  int char_width = 8;    // the view font's average character width
  int char_height = 16;  // and its character height
};

// A mouse position as the grid takes it: rounded down to a multiple of the
// grid's width and height when the grid is on.
DesignPoint SnapToGrid(DesignPoint point, const DesignGrid& grid);

// The rectangle between two (snapped) positions: normalised, clamped into
// the client area, rounded down to grid multiples with a zero size made one
// grid step.
DesignBox DragBox(DesignPoint start, DesignPoint end, const DesignGrid& grid, const DesignArea& area);

// True when `box` is large enough for an object of `tool`: icons 32 x 32;
// PF-key guidance 32 per entry (12 entries and the gaps) and 32 high; other
// objects one character wide and high. Lines are checked by LineLongEnough.
bool BoxLargeEnough(DesignTool tool, const DesignBox& box, const DesignArea& area);
bool LineLongEnough(DesignPoint start, DesignPoint end);

// The rectangles of the 12 PF-key entries laid out in `row`.
std::vector<DesignBox> PfGuidanceLayout(const DesignBox& row);

// Whether `tool` may add its objects to `doc`: empty, or the message
// (more than 128 objects, a second PF-key guidance or input area).
std::string CheckDesignLimits(const CQelstartDoc& doc, DesignTool tool);

// Creates the object(s) of `tool` with their defaults (the attribute dialogs
// fill in the rest) after the checks above; `line_start`/`line_end` are a
// line's points. Returns the first object made, or null with `message` set.
CLCNObject* CreateDesignObject(CQelstartDoc& doc, DesignTool tool, const DesignBox& box,
                               DesignPoint line_start, DesignPoint line_end, std::string& message);

// The menu-number field of the push-button dialog: empty is 0; otherwise an
// integer from 0 to 32767. False for anything else.
bool ParseMenuNumberField(const std::string& text, uint16_t& number);
// The grid dialog's width or height: 1 to 24.
bool GridStepValid(int step);

// The object's rectangle (a line's bounding box).
DesignBox BoxOf(const CLCNObject& object);
// Moves `object` by (dx, dy), kept inside the client area.
void MoveDesignObject(CLCNObject& object, int dx, int dy, const DesignArea& area);
// Gives `object` the rectangle `box` (a line: from its top-left to its
// bottom-right corner as before).
void SetDesignBox(CLCNObject& object, const DesignBox& box);

// The drawing order: to the end (front) or the beginning (back).
void BringToFront(CQelstartDoc& doc, const CLCNObject* object);
void SendToBack(CQelstartDoc& doc, const CLCNObject* object);
// Removes `object` (a PF-key entry removes the whole guidance row).
void DeleteDesignObject(CQelstartDoc& doc, const CLCNObject* object);

// The 16 named colours of the attribute dialogs, in their list order, with
// their names (UTF-8) and colour references.
struct NamedColor {
  const char* name;
  ColorRef color;
};
inline constexpr NamedColor kNamedColors[16] = {
    {"黒", 0x000000},        {"暗い赤", 0x000080}, {"暗い緑", 0x008000}, {"黄緑", 0x008080},
    {"暗い青", 0x800000},    {"薄紫", 0x800080},   {"灰青", 0x808000},   {"明るいｸﾞﾚｰ", 0xC0C0C0},
    {"暗いｸﾞﾚｰ", 0x808080}, {"濃い赤", 0x0000FF}, {"濃い緑", 0x00FF00}, {"黄色", 0x00FFFF},
    {"濃い青", 0xFF0000},    {"マゼンタ", 0xFF00FF}, {"シアン", 0xFFFF00}, {"白", 0xFFFFFF},
};

// Messages of the designer, CP932.
namespace design_messages {
std::string TooMany();
std::string SecondPfGuidance();
std::string SecondInput();
std::string TooSmall();
std::string InvalidNumber();
std::string InvalidGrid();
}  // namespace design_messages

}  // namespace qel::launch
