// Copies are made by writing an object and reading it back through its own
// archive code: one way of copying, the same as saving and opening.
#include "launch/menu_clipboard.h"

#include <algorithm>

#include "launch/menu_design.h"

namespace qel::launch {

namespace {

std::unique_ptr<CLCNObject> Clone(const CLCNObject& object) {
  ArchiveWriter out;
  object.Write(out);
  std::unique_ptr<CLCNObject> copy = CreateObject(object.ClassName());
  if (!copy) return nullptr;
  try {
    ArchiveReader in(out.bytes());
    copy->Read(in, ReadForm{});
  } catch (const ArchiveError&) {
    return nullptr;
  }
  return copy;
}

}  // namespace

std::string CopyMenuObjects(const std::vector<const CLCNObject*>& objects) {
  CQelstartDoc holder;
  for (const CLCNObject* object : objects)
    if (object != nullptr)
      if (std::unique_ptr<CLCNObject> copy = Clone(*object)) holder.Add(std::move(copy));
  holder.placement.restore = 1;
  return holder.Store();
}

std::vector<CLCNObject*> PasteMenuObjects(CQelstartDoc& doc, std::string_view bytes, int dx,
                                          int dy, std::string& message) {
  message.clear();
  CQelstartDoc pasted;
  const DocumentResult result = pasted.Load(bytes, false);
  if (!result.ok()) {
    message = result.message;
    return {};
  }
  if (doc.ObjectCount() + pasted.ObjectCount() > kMaxMenuObjects) {
    message = design_messages::TooMany();
    return {};
  }
  if (!pasted.pf_keys.empty() && !doc.pf_keys.empty()) {
    message = design_messages::SecondPfGuidance();
    return {};
  }
  if ((!pasted.inputs.empty() && !doc.inputs.empty()) || pasted.inputs.size() > 1) {
    message = design_messages::SecondInput();
    return {};
  }
  // The drawing order first, then whatever the file keeps only in its lists.
  std::vector<CLCNObject*> order;
  for (CLCNObject* object : pasted.draw_order)
    if (object != nullptr) order.push_back(object);
  for (const CQelstartDoc::ObjectList* list :
       {&pasted.strings, &pasted.buttons, &pasted.pictures, &pasted.frames, &pasted.lines,
        &pasted.icons, &pasted.inputs, &pasted.pf_keys})
    for (const auto& object : *list)
      if (std::find(order.begin(), order.end(), object.get()) == order.end())
        order.push_back(object.get());
  std::vector<CLCNObject*> added;
  const DesignArea unlimited{32767, 32767, 1, 1};
  for (CLCNObject* object : order) {
    if (object == nullptr) continue;
    std::unique_ptr<CLCNObject> copy = Clone(*object);
    if (!copy) continue;
    MoveDesignObject(*copy, dx, dy, unlimited);
    added.push_back(&doc.Add(std::move(copy)));
  }
  return added;
}

}  // namespace qel::launch
