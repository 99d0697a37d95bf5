// Design operations. A rectangle is always normalised before it reaches an
// object, so width and height stay within the file's unsigned 16 bits.
#include "launch/menu_design.h"

#include <algorithm>
#include <optional>

#include "platform/cp932.h"

namespace qel::launch {

namespace {

std::string Sj(const char* utf8) {
  std::optional<std::string> text = platform::Utf8ToCp932(utf8);
  return text ? *text : std::string(utf8);
}

int FloorTo(int value, int step) {
  if (step <= 1) return value;
  const int q = value / step;
  return (value % step != 0 && value < 0 ? q - 1 : q) * step;
}

Rect16 ToRect(const DesignBox& box) {
  return {static_cast<int16_t>(std::clamp(box.left, -32768, 32767)),
          static_cast<int16_t>(std::clamp(box.top, -32768, 32767)),
          static_cast<uint16_t>(std::clamp(box.width, 0, 65535)),
          static_cast<uint16_t>(std::clamp(box.height, 0, 65535))};
}

CLCNLine SideLine(int x1, int y1, int x2, int y2) {
  CLCNLine line;
  line.start = {x1, y1};
  line.end = {x2, y2};
  return line;
}

template <typename List>
void Erase(List& list, const CLCNObject* object) {
  list.erase(std::remove_if(list.begin(), list.end(),
                            [object](const auto& owned) { return owned.get() == object; }),
             list.end());
}

}  // namespace

namespace design_messages {
std::string TooMany() { return Sj("これ以上定義できません"); }
std::string SecondPfGuidance() { return Sj("ＰＦキーガイダンスは複数設定することはできません。"); }
std::string SecondInput() { return Sj("入力領域は複数設定することはできません。"); }
std::string TooSmall() { return Sj("作成できない大きさです"); }
std::string InvalidNumber() { return Sj("正しい数値を入力してください"); }
std::string InvalidGrid() { return Sj("数値は１～２４の間で指定してください。"); }
}  // namespace design_messages

DesignPoint SnapToGrid(DesignPoint point, const DesignGrid& grid) {
  if (!grid.on) return point;
  return {FloorTo(point.x, grid.width), FloorTo(point.y, grid.height)};
}

DesignBox DragBox(DesignPoint start, DesignPoint end, const DesignGrid& grid,
                  const DesignArea& area) {
  start = SnapToGrid(start, grid);
  end = SnapToGrid(end, grid);
  int left = std::max(0, std::min(start.x, end.x));
  int top = std::max(0, std::min(start.y, end.y));
  int right = std::min(area.client_width, std::max(start.x, end.x));
  int bottom = std::min(area.client_height, std::max(start.y, end.y));
  left = std::min(left, std::max(0, area.client_width));
  top = std::min(top, std::max(0, area.client_height));
  DesignBox box{left, top, std::max(0, right - left), std::max(0, bottom - top)};
  if (grid.on) {
    box.left = FloorTo(box.left, grid.width);
    box.top = FloorTo(box.top, grid.height);
    box.width = FloorTo(box.width, grid.width);
    box.height = FloorTo(box.height, grid.height);
    if (box.width == 0) box.width = grid.width;
    if (box.height == 0) box.height = grid.height;
  }
  return box;
}

bool BoxLargeEnough(DesignTool tool, const DesignBox& box, const DesignArea& area) {
  switch (tool) {
    case DesignTool::kIcon:
      return box.width >= 32 && box.height >= 32;
    case DesignTool::kPfGuidance:
      return box.width >= 12 * 32 + 2 * kPfGuidanceGap && box.height >= 32;
    default:
      return box.width >= area.char_width && box.height >= area.char_height;
  }
}

bool LineLongEnough(DesignPoint start, DesignPoint end) {
  return std::abs(end.x - start.x) >= 10 || std::abs(end.y - start.y) >= 10;
}

std::vector<DesignBox> PfGuidanceLayout(const DesignBox& row) {
  const int entry = std::max(0, (row.width - 2 * kPfGuidanceGap) / 12);
  std::vector<DesignBox> boxes;
  for (int i = 0; i < 12; ++i) {
    const int gap = (i >= 4 ? kPfGuidanceGap : 0) + (i >= 8 ? kPfGuidanceGap : 0);
    boxes.push_back({row.left + i * entry + gap, row.top, entry, row.height});
  }
  return boxes;
}

std::string CheckDesignLimits(const CQelstartDoc& doc, DesignTool tool) {
  const size_t adding = tool == DesignTool::kPfGuidance ? 12 : 1;
  if (doc.ObjectCount() + adding > kMaxMenuObjects) return design_messages::TooMany();
  if (tool == DesignTool::kPfGuidance && !doc.pf_keys.empty())
    return design_messages::SecondPfGuidance();
  if (tool == DesignTool::kInput && !doc.inputs.empty()) return design_messages::SecondInput();
  return {};
}

CLCNObject* CreateDesignObject(CQelstartDoc& doc, DesignTool tool, const DesignBox& box,
                               DesignPoint line_start, DesignPoint line_end,
                               std::string& message) {
  message = CheckDesignLimits(doc, tool);
  if (!message.empty()) return nullptr;
  CLCNObject* made = nullptr;
  switch (tool) {
    case DesignTool::kText:
      made = &doc.Add<CLCNString>();
      break;
    case DesignTool::kButton:
      made = &doc.Add<CLCNButton>();
      break;
    case DesignTool::kPicture:
      made = &doc.Add<CLCNPicture>();
      break;
    case DesignTool::kFrame:
      made = &doc.Add<CLCNFrame>();
      break;
    case DesignTool::kRectangle: {
      auto& rectangle = doc.Add<CLCNRectangle>();
      const int r = box.left + box.width;
      const int b = box.top + box.height;
      rectangle.sides = {SideLine(box.left, box.top, r, box.top), SideLine(r, box.top, r, b),
                         SideLine(r, b, box.left, b), SideLine(box.left, b, box.left, box.top)};
      made = &rectangle;
      break;
    }
    case DesignTool::kLine: {
      auto& line = doc.Add<CLCNLine>();
      line.start = {line_start.x, line_start.y};
      line.end = {line_end.x, line_end.y};
      return &line;
    }
    case DesignTool::kIcon:
      made = &doc.Add<CLCNXIcon>();
      break;
    case DesignTool::kPfGuidance: {
      for (const DesignBox& entry : PfGuidanceLayout(box)) {
        auto& key = doc.Add<CLCNPfKey>();
        key.position = ToRect(entry);
        if (made == nullptr) made = &key;
      }
      return made;
    }
    case DesignTool::kInput:
      made = &doc.Add<CLCNInput>();
      break;
    case DesignTool::kNone:
      return nullptr;
  }
  made->position = ToRect(box);
  return made;
}

bool ParseMenuNumberField(const std::string& text, uint16_t& number) {
  std::string digits = text;
  while (!digits.empty() && digits.back() == ' ') digits.pop_back();
  while (!digits.empty() && digits.front() == ' ') digits.erase(digits.begin());
  if (digits.empty()) {
    number = 0;
    return true;
  }
  long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 32767) return false;
  }
  number = static_cast<uint16_t>(value);
  return true;
}

bool GridStepValid(int step) { return step >= 1 && step <= 24; }

DesignBox BoxOf(const CLCNObject& object) {
  if (object.Kind() == ObjectKind::kLine) {
    const auto& line = static_cast<const CLCNLine&>(object);
    const int left = std::min(line.start.x, line.end.x);
    const int top = std::min(line.start.y, line.end.y);
    return {left, top, std::max(line.start.x, line.end.x) - left,
            std::max(line.start.y, line.end.y) - top};
  }
  return {object.position.left, object.position.top, object.position.width,
          object.position.height};
}

void SetDesignBox(CLCNObject& object, const DesignBox& box) {
  if (object.Kind() == ObjectKind::kLine) {
    auto& line = static_cast<CLCNLine&>(object);
    const DesignBox old = BoxOf(line);
    // Each end keeps the corner of the old box it sat on.
    auto map = [&](Point32& p) {
      p.x = p.x == old.left ? box.left : box.left + box.width;
      p.y = p.y == old.top ? box.top : box.top + box.height;
    };
    map(line.start);
    map(line.end);
    return;
  }
  object.position = ToRect(box);
  if (object.Kind() == ObjectKind::kRectangle) {
    auto& rectangle = static_cast<CLCNRectangle&>(object);
    const int r = box.left + box.width;
    const int b = box.top + box.height;
    const Point32 corners[4] = {{box.left, box.top}, {r, box.top}, {r, b}, {box.left, b}};
    for (int i = 0; i < 4; ++i) {
      rectangle.sides[i].start = corners[i];
      rectangle.sides[i].end = corners[(i + 1) % 4];
    }
  }
}

void MoveDesignObject(CLCNObject& object, int dx, int dy, const DesignArea& area) {
  DesignBox box = BoxOf(object);
  box.left = std::clamp(box.left + dx, 0, std::max(0, area.client_width - box.width));
  box.top = std::clamp(box.top + dy, 0, std::max(0, area.client_height - box.height));
  if (object.Kind() == ObjectKind::kLine) {
    auto& line = static_cast<CLCNLine&>(object);
    const DesignBox old = BoxOf(line);
    for (Point32* p : {&line.start, &line.end}) {
      p->x += box.left - old.left;
      p->y += box.top - old.top;
    }
    return;
  }
  SetDesignBox(object, box);
}

void BringToFront(CQelstartDoc& doc, const CLCNObject* object) {
  auto it = std::find(doc.draw_order.begin(), doc.draw_order.end(), object);
  if (it == doc.draw_order.end()) return;
  std::rotate(it, it + 1, doc.draw_order.end());
}

void SendToBack(CQelstartDoc& doc, const CLCNObject* object) {
  auto it = std::find(doc.draw_order.begin(), doc.draw_order.end(), object);
  if (it == doc.draw_order.end()) return;
  std::rotate(doc.draw_order.begin(), it, it + 1);
}

void DeleteDesignObject(CQelstartDoc& doc, const CLCNObject* object) {
  std::vector<const CLCNObject*> doomed{object};
  if (object != nullptr && object->Kind() == ObjectKind::kPfKey) {
    doomed.clear();
    for (const auto& key : doc.pf_keys) doomed.push_back(key.get());
  }
  for (const CLCNObject* gone : doomed) {
    doc.draw_order.erase(std::remove(doc.draw_order.begin(), doc.draw_order.end(), gone),
                         doc.draw_order.end());
    for (CQelstartDoc::ObjectList* list :
         {&doc.strings, &doc.buttons, &doc.pictures, &doc.frames, &doc.lines, &doc.oles,
          &doc.icons, &doc.inputs, &doc.pf_keys, &doc.others})
      Erase(*list, gone);
  }
}

}  // namespace qel::launch
