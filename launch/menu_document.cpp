#include "launch/menu_document.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "platform/cp932.h"
#include "platform/file.h"
#include "platform/system_error.h"

namespace qel::launch {

namespace {

constexpr size_t kBlockSize = 512;
constexpr size_t kTitleOffset = 268;
constexpr size_t kTitleEnd = 300;
constexpr uint16_t kOleMarker = 0x0DAF;
constexpr uint32_t kColorMarker = 0x04000000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;

std::string Cp932(std::string_view utf8) {
  std::optional<std::string> text = platform::Utf8ToCp932(utf8);
  return text ? *text : std::string(utf8);
}

uint16_t Get16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) |
                               (static_cast<uint8_t>(b[at + 1]) << 8));
}

uint32_t Get32(std::string_view b, size_t at) {
  return Get16(b, at) | (static_cast<uint32_t>(Get16(b, at + 2)) << 16);
}

void Put16(std::string& b, size_t at, uint16_t v) {
  b[at] = static_cast<char>(v);
  b[at + 1] = static_cast<char>(v >> 8);
}

void Put32(std::string& b, size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v));
  Put16(b, at + 2, static_cast<uint16_t>(v >> 16));
}

std::string ZeroTerminated(std::string_view field) {
  return std::string(field.substr(0, std::min(field.find('\0'), field.size())));
}

// Which classes a list of the file may hold.
bool Accepts(ObjectKind list, ObjectKind object) {
  if (list == ObjectKind::kLine)
    return object == ObjectKind::kLine || object == ObjectKind::kRectangle;
  return list == object;
}

// Object references of one archive stream: classes and objects share one
// numbering in order of appearance.
class ObjectStreamReader {
 public:
  ObjectStreamReader(ArchiveReader& in, const ReadForm& form) : in_(in), form_(form) {}

  // One list element. A new object is returned in `fresh` (and `ref` points
  // at it); a back reference only in `ref`; both null for "no object".
  void Read(std::unique_ptr<CLCNObject>& fresh, CLCNObject*& ref) {
    fresh.reset();
    ref = nullptr;
    uint16_t tag = in_.U16();
    if (tag == 0) return;
    if (tag == kNewClassTag) {
      in_.U16();  // schema
      uint16_t length = in_.U16();
      std::string_view name = in_.Take(length);
      fresh = CreateObject(name);
      if (!fresh) throw ArchiveError{};
      map_.push_back(Entry{std::string(name), nullptr});
    } else if (tag & kClassTag) {
      size_t index = tag & 0x7FFF;
      if (index == 0 || index > map_.size() || map_[index - 1].object) throw ArchiveError{};
      fresh = CreateObject(map_[index - 1].class_name);
    } else {
      size_t index = tag;
      if (index > map_.size() || !map_[index - 1].object) throw ArchiveError{};
      ref = map_[index - 1].object;
      return;
    }
    ref = fresh.get();
    map_.push_back(Entry{"", ref});
    fresh->Read(in_, form_);
  }

  // A list of the current layout into `list`, objects of `kind` only.
  void ReadList(CQelstartDoc::ObjectList& list, ObjectKind kind) {
    uint32_t count = in_.Count(2);
    for (uint32_t i = 0; i < count; ++i) {
      std::unique_ptr<CLCNObject> fresh;
      CLCNObject* ref;
      Read(fresh, ref);
      if (!ref) continue;
      // Every object belongs to exactly one list.
      if (!fresh || !Accepts(kind, fresh->Kind())) throw ArchiveError{};
      list.push_back(std::move(fresh));
    }
  }

  // A counted list of the older form: the first object comes with the class
  // header, which must name `kind`'s class; the others follow a class tag.
  void ReadCounted(CQelstartDoc::ObjectList& list, std::string_view class_name) {
    uint16_t count = in_.U16();
    if (count == 0) return;
    if (count > in_.remaining() / 8) throw ArchiveError{};
    if (in_.U16() != kNewClassTag) throw ArchiveError{};
    in_.U16();  // schema
    uint16_t length = in_.U16();
    if (in_.Take(length) != class_name) throw ArchiveError{};
    map_.push_back(Entry{std::string(class_name), nullptr});
    for (uint16_t i = 0; i < count; ++i) {
      if (i > 0 && !(in_.U16() & kClassTag)) throw ArchiveError{};
      std::unique_ptr<CLCNObject> object = CreateObject(class_name);
      map_.push_back(Entry{"", object.get()});
      object->Read(in_, form_);
      list.push_back(std::move(object));
    }
  }

 private:
  struct Entry {
    std::string class_name;
    CLCNObject* object;
  };
  ArchiveReader& in_;
  ReadForm form_;
  std::vector<Entry> map_;
};

class ObjectStreamWriter {
 public:
  explicit ObjectStreamWriter(ArchiveWriter& out) : out_(out) {}

  void Write(const CLCNObject* object) {
    if (!object) {
      out_.U16(0);
      return;
    }
    for (size_t i = 0; i < objects_.size(); ++i) {
      if (objects_[i].first == object) {
        out_.U16(static_cast<uint16_t>(objects_[i].second));
        return;
      }
    }
    std::string_view name = object->ClassName();
    auto known = std::find_if(classes_.begin(), classes_.end(),
                              [&](const auto& c) { return c.first == name; });
    if (known != classes_.end()) {
      out_.U16(static_cast<uint16_t>(kClassTag | known->second));
    } else {
      out_.U16(kNewClassTag);
      out_.U16(1);  // schema
      out_.U16(static_cast<uint16_t>(name.size()));
      out_.Bytes(name);
      classes_.emplace_back(name, ++count_);
    }
    objects_.emplace_back(object, ++count_);
    object->Write(out_);
  }

  void WriteList(const CQelstartDoc::ObjectList& list) {
    out_.Count(static_cast<uint32_t>(list.size()));
    for (const auto& object : list) Write(object.get());
  }

 private:
  ArchiveWriter& out_;
  std::vector<std::pair<std::string_view, size_t>> classes_;
  std::vector<std::pair<const CLCNObject*, size_t>> objects_;
  size_t count_ = 0;
};

bool EndsWithDmk(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == ".DMK";
}

}  // namespace

namespace doc_messages {
std::string FormatInvalid() { return Cp932("ファイルの形式が不正です"); }
std::string OleSkipped() { return Cp932("ＯＬＥは読み飛ばします。"); }
std::string NoButton() { return Cp932("起動するボタンが一つも定義されていません"); }
std::string NoMenuNumber() { return Cp932("プッシュボタンにメニュー番号が\n設定されていません。"); }
std::string DuplicateMenuNumber(int number) {
  return Cp932("メニューの重複しているものがあります。\nメニュー番号：" + std::to_string(number));
}
std::string ReducedCannotSave() {
  return Cp932("Panoplyの形式では保存できません。\n新しいファイル名を指定してください。");
}
std::string OutOfMemory() { return Cp932("メモリ不足が発生しました"); }
}  // namespace doc_messages

CQelstartDoc::CQelstartDoc() { custom_colors.fill(kWhite); }

void CQelstartDoc::Clear() {
  for (ObjectList* list :
       {&strings, &buttons, &pictures, &frames, &lines, &oles, &icons, &inputs, &pf_keys, &others})
    list->clear();
  draw_order.clear();
}

CQelstartDoc::ObjectList* CQelstartDoc::ListFor(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::kString:
      return &strings;
    case ObjectKind::kButton:
      return &buttons;
    case ObjectKind::kPfKey:
      return &pf_keys;
    case ObjectKind::kInput:
      return &inputs;
    case ObjectKind::kPicture:
      return &pictures;
    case ObjectKind::kFrame:
      return &frames;
    case ObjectKind::kLine:
    case ObjectKind::kRectangle:
      return &lines;
    case ObjectKind::kXIcon:
      return &icons;
    case ObjectKind::kOle:
      return &oles;
  }
  return &others;
}

CLCNObject& CQelstartDoc::Add(std::unique_ptr<CLCNObject> object) {
  object->document = this;
  CLCNObject& added = *object;
  ListFor(object->Kind())->push_back(std::move(object));
  // PF keys and the input area are controls of their own, not drawn objects.
  if (added.Kind() != ObjectKind::kPfKey && added.Kind() != ObjectKind::kInput)
    draw_order.push_back(&added);
  return added;
}

size_t CQelstartDoc::ObjectCount() const {
  return strings.size() + buttons.size() + pictures.size() + frames.size() + lines.size() +
         oles.size() + icons.size() + inputs.size() + pf_keys.size() + others.size();
}

DocumentResult CQelstartDoc::Load(std::string_view bytes, bool reduced_form) {
  DocumentResult result;
  Clear();
  custom_colors.fill(kWhite);
  reduced = reduced_form;
  try {
    ArchiveReader in(bytes);
    std::string_view signature = in.Take(kBlockSize);
    bool old_layout = signature.substr(0, 5) != "MENU2";
    signature_word = Get16(signature, 266);
    title = ZeroTerminated(signature.substr(kTitleOffset, kTitleEnd - kTitleOffset - 1));
    std::string_view property = in.Take(kBlockSize);
    if (old_layout) {
      type_name = ZeroTerminated(property.substr(0, 4));
      property_value = Get16(property, 4);
      version = Get16(property, 6);
      background_set = Get16(property, 8) != 0;
      background = Get16(property, 10) | (static_cast<uint32_t>(Get16(property, 12)) << 16);
      maximized = Get16(property, 14) != 0;
    } else {
      type_name = ZeroTerminated(property.substr(0, 8));
      property_value = Get16(property, 8);
      version = Get16(property, 10);
      background_set = Get32(property, 12) != 0;
      background = Get32(property, 16);
      maximized = Get32(property, 20) != 0;
    }
    placement.restore = in.U16();
    placement.left = in.I16();
    placement.top = in.I16();
    placement.width = in.U16();
    placement.height = in.U16();
    ReadBody(in, old_layout, result);
  } catch (const ArchiveError&) {
    Clear();
    return DocumentResult{DocumentResult::kFailed, doc_messages::FormatInvalid(), "", 0};
  } catch (const std::bad_alloc&) {
    Clear();
    return DocumentResult{DocumentResult::kFailed, doc_messages::OutOfMemory(), "", 0};
  }
  for (ObjectList* list :
       {&strings, &buttons, &pictures, &frames, &lines, &oles, &icons, &inputs, &pf_keys, &others})
    for (auto& object : *list) object->document = this;
  return result;
}

void CQelstartDoc::ReadBody(ArchiveReader& in, bool old_layout, DocumentResult& result) {
  ReadForm form{old_layout, reduced};
  ObjectStreamReader objects(in, form);
  if (old_layout) {
    objects.ReadCounted(strings, "CLCNString");
    objects.ReadCounted(buttons, "CLCNButton");
    objects.ReadCounted(pictures, "CLCNPicture");
    objects.ReadCounted(frames, "CLCNFrame");
    objects.ReadCounted(lines, "CLCNLine");
    objects.ReadCounted(lines, "CLCNRectangle");
    objects.ReadCounted(oles, "CLCNOle");
  } else {
    objects.ReadList(strings, ObjectKind::kString);
    objects.ReadList(buttons, ObjectKind::kButton);
    objects.ReadList(pictures, ObjectKind::kPicture);
    objects.ReadList(frames, ObjectKind::kFrame);
    objects.ReadList(lines, ObjectKind::kLine);
    objects.ReadList(oles, ObjectKind::kOle);
  }
  if (version == 3) {
    if (old_layout)
      objects.ReadCounted(icons, "CLCNXIcon");
    else
      objects.ReadList(icons, ObjectKind::kXIcon);
    uint32_t count = in.Count(2);
    for (uint32_t i = 0; i < count; ++i) {
      std::unique_ptr<CLCNObject> fresh;
      CLCNObject* ref;
      objects.Read(fresh, ref);
      if (fresh) others.push_back(std::move(fresh));
      draw_order.push_back(ref);
    }
    if (in.U32() != kColorMarker) throw ArchiveError{};
    if (in.Count(4) != custom_colors.size()) throw ArchiveError{};
    for (ColorRef& c : custom_colors) c = in.U32();
  } else if (version == 1 || version == 2) {
    objects.ReadCounted(icons, "CLCNXIcon");
    if (version == 2 && reduced)
      for (ColorRef& c : custom_colors) c = in.U32();
  }
  if (!reduced) {
    if (old_layout) {
      objects.ReadCounted(inputs, "CLCNInput");
      objects.ReadCounted(pf_keys, "CLCNPfKey");
    } else {
      objects.ReadList(inputs, ObjectKind::kInput);
      objects.ReadList(pf_keys, ObjectKind::kPfKey);
    }
  }
  // Without drawing order in the file, objects draw in list order.
  if (draw_order.empty() && version != 3) {
    for (ObjectList* list : {&strings, &buttons, &pictures, &frames, &lines, &oles, &icons})
      for (auto& object : *list) draw_order.push_back(object.get());
  }
  if (old_layout) {
    if (in.remaining() > 0) result.message = doc_messages::OleSkipped();
    return;
  }
  if (in.U16() != kOleMarker) throw ArchiveError{};
  // Embedded OLE objects are not supported here: they are dropped, and a
  // later save writes the document without them.
  if (in.U16() > 0) result.message = doc_messages::OleSkipped();
}

std::string CQelstartDoc::Store() const {
  ArchiveWriter out;
  std::string signature(kBlockSize, '\0');
  std::memcpy(signature.data(), "MENU2", 5);
  Put16(signature, 266, signature_word);
  std::string_view t = std::string_view(title).substr(0, kTitleEnd - kTitleOffset - 1);
  t = t.substr(0, std::min(t.find('\0'), t.size()));
  std::memcpy(signature.data() + kTitleOffset, t.data(), t.size());
  Put32(signature, kTitleEnd, 512);
  out.Bytes(signature);

  std::string property(kBlockSize, '\0');
  std::memcpy(property.data(), "QELSTART", 8);
  Put16(property, 8, 1);
  Put16(property, 10, 3);
  Put32(property, 12, background_set ? 1 : 0);
  Put32(property, 16, background);
  Put32(property, 20, maximized ? 1 : 0);
  out.Bytes(property);

  out.U16(placement.restore);
  out.I16(placement.left);
  out.I16(placement.top);
  out.U16(placement.width);
  out.U16(placement.height);

  ObjectStreamWriter objects(out);
  for (const ObjectList* list : {&strings, &buttons, &pictures, &frames, &lines, &oles, &icons})
    objects.WriteList(*list);
  out.Count(static_cast<uint32_t>(draw_order.size()));
  for (const CLCNObject* object : draw_order) objects.Write(object);
  out.U32(kColorMarker);
  out.Count(static_cast<uint32_t>(custom_colors.size()));
  for (ColorRef c : custom_colors) out.U32(c);
  objects.WriteList(inputs);
  objects.WriteList(pf_keys);
  out.U16(kOleMarker);
  out.U16(0);
  return std::move(out.bytes());
}

DocumentResult CQelstartDoc::CheckBeforeSave() const {
  if (buttons.empty()) return {DocumentResult::kFailed, doc_messages::NoButton(), "", 0};
  if (!inputs.empty()) {
    for (const auto& object : buttons) {
      const auto& button = static_cast<const CLCNButton&>(*object);
      if (button.menu_number == 0)
        return {DocumentResult::kFailed, doc_messages::NoMenuNumber(), button.title, 0};
    }
  }
  for (size_t i = 0; i < buttons.size(); ++i) {
    uint16_t number = static_cast<const CLCNButton&>(*buttons[i]).menu_number;
    if (number == 0) continue;
    for (size_t j = 0; j < i; ++j) {
      if (static_cast<const CLCNButton&>(*buttons[j]).menu_number == number)
        return {DocumentResult::kFailed, doc_messages::DuplicateMenuNumber(number), "", 0};
    }
  }
  if (reduced) return {DocumentResult::kSaveAs, doc_messages::ReducedCannotSave(), "", 0};
  return {};
}

DocumentResult CQelstartDoc::Open(const std::string& path) {
  std::optional<std::string> bytes = platform::ReadWholeFile(path.c_str());
  if (!bytes) {
    return {DocumentResult::kFailed, doc_messages::FormatInvalid(), "",
            platform::LastSystemError()};
  }
  DocumentResult result = Load(*bytes, EndsWithDmk(path));
  text_default = LogFont::TextDefault();
  return result;
}

DocumentResult CQelstartDoc::Save(const std::string& path) {
  DocumentResult check = CheckBeforeSave();
  if (!check.ok()) return check;
  placement.restore = 1;
  std::string bytes = Store();
  platform::FileHandle file =
      platform::OpenFile(path.c_str(), platform::FileAccess::kWrite,
                         platform::Disposition::kCreateAlways, platform::ShareMode::kDenyWrite);
  bool written =
      file != platform::kInvalidFile &&
      platform::WriteFile(file, bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
  int error = written ? 0 : platform::LastSystemError();
  if (file != platform::kInvalidFile && !platform::CloseFile(file) && written) {
    written = false;
    error = platform::LastSystemError();
  }
  if (!written) return {DocumentResult::kFailed, "", "", error};
  type_name = "QELSTART";
  property_value = 1;
  version = 3;
  return {};
}

namespace {

// Where an object sits among the lists of a document, for comparing the
// drawing order of two documents.
std::pair<int, size_t> Locate(const CQelstartDoc& doc, const CLCNObject* object) {
  const CQelstartDoc::ObjectList* lists[] = {&doc.strings, &doc.buttons, &doc.pictures, &doc.frames,
                                             &doc.lines,   &doc.oles,    &doc.icons,    &doc.inputs,
                                             &doc.pf_keys, &doc.others};
  for (int l = 0; l < 10; ++l)
    for (size_t i = 0; i < lists[l]->size(); ++i)
      if ((*lists[l])[i].get() == object) return {l, i};
  return {-1, 0};
}

bool SameList(const CQelstartDoc::ObjectList& a, const CQelstartDoc::ObjectList& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!a[i]->Equals(*b[i])) return false;
  return true;
}

}  // namespace

bool CQelstartDoc::Equals(const CQelstartDoc& o) const {
  if (background_set != o.background_set || background != o.background ||
      maximized != o.maximized || title != o.title || signature_word != o.signature_word ||
      placement != o.placement || custom_colors != o.custom_colors)
    return false;
  if (!SameList(strings, o.strings) || !SameList(buttons, o.buttons) ||
      !SameList(pictures, o.pictures) || !SameList(frames, o.frames) || !SameList(lines, o.lines) ||
      !SameList(oles, o.oles) || !SameList(icons, o.icons) || !SameList(inputs, o.inputs) ||
      !SameList(pf_keys, o.pf_keys) || !SameList(others, o.others) ||
      draw_order.size() != o.draw_order.size())
    return false;
  for (size_t i = 0; i < draw_order.size(); ++i) {
    if (!draw_order[i] || !o.draw_order[i]) {
      if (draw_order[i] != o.draw_order[i]) return false;
      continue;
    }
    if (Locate(*this, draw_order[i]) != Locate(o, o.draw_order[i])) return false;
  }
  return true;
}

}  // namespace qel::launch
