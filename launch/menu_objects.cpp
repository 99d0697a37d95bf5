#include "launch/menu_objects.h"

#include <cstring>
#include <optional>

#include "platform/cp932.h"
#include "platform/file.h"

namespace qel::launch {

namespace {

// "ＭＳ 明朝" in CP932.
constexpr char kMinchoFace[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";

template <typename T>
const T& As(const CLCNObject& other) {
  return static_cast<const T&>(other);
}

}  // namespace

LogFont LogFont::TextDefault() {
  LogFont font;
  font.height = 16;
  font.weight = 400;
  font.char_set = 128;
  std::memcpy(font.face_name.data(), kMinchoFace, sizeof kMinchoFace - 1);
  return font;
}

void LogFont::Read(ArchiveReader& in, bool short_form) {
  int32_t* values[] = {&height, &width, &escapement, &orientation, &weight};
  for (int32_t* v : values) *v = short_form ? in.I16() : in.I32();
  uint8_t* bytes[] = {&italic,        &underline,      &strike_out, &char_set,
                      &out_precision, &clip_precision, &quality,    &pitch_and_family};
  for (uint8_t* b : bytes) *b = in.U8();
  std::string_view face = in.Take(face_name.size());
  std::memcpy(face_name.data(), face.data(), face.size());
}

void LogFont::Write(ArchiveWriter& out) const {
  for (int32_t v : {height, width, escapement, orientation, weight}) out.I32(v);
  for (uint8_t b : {italic, underline, strike_out, char_set, out_precision, clip_precision, quality,
                    pitch_and_family})
    out.U8(b);
  out.Bytes(std::string_view(face_name.data(), face_name.size()));
}

std::unique_ptr<CLCNObject> CreateObject(std::string_view name) {
  if (name == "CLCNString") return std::make_unique<CLCNString>();
  if (name == "CLCNButton") return std::make_unique<CLCNButton>();
  if (name == "CLCNPfKey") return std::make_unique<CLCNPfKey>();
  if (name == "CLCNInput") return std::make_unique<CLCNInput>();
  if (name == "CLCNPicture") return std::make_unique<CLCNPicture>();
  if (name == "CLCNFrame") return std::make_unique<CLCNFrame>();
  if (name == "CLCNLine") return std::make_unique<CLCNLine>();
  if (name == "CLCNRectangle") return std::make_unique<CLCNRectangle>();
  if (name == "CLCNXIcon") return std::make_unique<CLCNXIcon>();
  if (name == "CLCNOle") return std::make_unique<CLCNOle>();
  return nullptr;
}

void CLCNObject::Read(ArchiveReader& in, const ReadForm&) {
  position.left = in.I16();
  position.top = in.I16();
  position.width = in.U16();
  position.height = in.U16();
}

void CLCNObject::Write(ArchiveWriter& out) const {
  out.I16(position.left);
  out.I16(position.top);
  out.U16(position.width);
  out.U16(position.height);
}

bool CLCNObject::Equals(const CLCNObject& other) const {
  return Kind() == other.Kind() && position == other.position;
}

void CLCNString::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  text = in.String();
  font.Read(in, form.short_fonts);
  text_color = in.U32();
  draw_format = in.U16();
  value = in.U32();
}

void CLCNString::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.String(text);
  font.Write(out);
  out.U32(text_color);
  out.U16(draw_format);
  out.U32(value);
}

bool CLCNString::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNString>(other);
  return text == o.text && font == o.font && text_color == o.text_color &&
         draw_format == o.draw_format && value == o.value;
}

void CLCNButton::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  title = in.String();
  font.Read(in, form.short_fonts);
  text_color = in.U32();
  program = in.String();
  reserved = in.U32();
  control_id = in.U16();
  functions = in.U32();
  if (!form.reduced) {
    parameters = in.String();
    menu_number = in.U16();
  }
}

void CLCNButton::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.String(title);
  font.Write(out);
  out.U32(text_color);
  out.String(program);
  out.U32(reserved);
  out.U16(control_id);
  out.U32(functions);
  out.String(parameters);
  out.U16(menu_number);
}

bool CLCNButton::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNButton>(other);
  return title == o.title && font == o.font && text_color == o.text_color && program == o.program &&
         reserved == o.reserved && control_id == o.control_id && functions == o.functions &&
         parameters == o.parameters && menu_number == o.menu_number;
}

void CLCNPfKey::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  title = in.String();
  font.Read(in, form.short_fonts);
  text_color = in.U32();
  reserved = in.U32();
  control_id = in.U16();
  fixed_function = in.U32();
  button_title = in.String();
  function = in.U16();
}

void CLCNPfKey::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.String(title);
  font.Write(out);
  out.U32(text_color);
  out.U32(reserved);
  out.U16(control_id);
  out.U32(fixed_function);
  out.String(button_title);
  out.U16(function);
}

bool CLCNPfKey::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNPfKey>(other);
  return title == o.title && font == o.font && text_color == o.text_color &&
         reserved == o.reserved && control_id == o.control_id &&
         fixed_function == o.fixed_function && button_title == o.button_title &&
         function == o.function;
}

void CLCNInput::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  reserved = in.U32();
  control_id = in.U16();
}

void CLCNInput::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.U32(reserved);
  out.U16(control_id);
}

bool CLCNInput::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNInput>(other);
  return reserved == o.reserved && control_id == o.control_id;
}

void CLCNPicture::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  image_file = in.String();
  value = in.U32();
  reserved1 = in.U32();
  reserved2 = in.U32();
  in.Skip(8);
  value_pair1 = 1;
  value_pair2 = 1;
}

void CLCNPicture::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.String(image_file);
  out.U32(value);
  out.U32(reserved1);
  out.U32(reserved2);
  out.U32(value_pair1);
  out.U32(value_pair2);
}

std::string CLCNPicture::CheckImageFile() const {
  auto message = [](std::string_view utf8) {
    std::optional<std::string> text = platform::Utf8ToCp932(utf8);
    return text ? *text : std::string(utf8);
  };
  platform::FileHandle file =
      platform::OpenFile(image_file.c_str(), platform::FileAccess::kRead,
                         platform::Disposition::kOpenExisting, platform::ShareMode::kAll);
  if (file == platform::kInvalidFile) return message("画像ファイルをオープンできません");
  unsigned char header[18] = {};
  int64_t got = platform::ReadFile(file, header, sizeof header);
  int64_t size = platform::FileSize(file);
  platform::CloseFile(file);
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(header[at] | (header[at + 1] << 8) | (header[at + 2] << 16) |
                                 (static_cast<uint32_t>(header[at + 3]) << 24));
  };
  // A BMP file starts "BM" and its info header follows the 14-byte file
  // header; a bare DIB starts with the info header's own size.
  uint32_t info_size = 0;
  if (got >= 18 && header[0] == 'B' && header[1] == 'M')
    info_size = u32(14);
  else if (got >= 4)
    info_size = u32(0);
  if (info_size != 12 && info_size != 40 && info_size != 52 && info_size != 56 &&
      info_size != 108 && info_size != 124)
    return message("画像ファイルの形式が不正です");
  if (size > kMaxImageBytes) return message("画像データが大きすぎます");
  return {};
}

bool CLCNPicture::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNPicture>(other);
  return image_file == o.image_file && value == o.value && reserved1 == o.reserved1 &&
         reserved2 == o.reserved2 && value_pair1 == o.value_pair1 && value_pair2 == o.value_pair2;
}

void CLCNFrame::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  style = in.U16();
  value1 = in.U16();
  fill_color = in.U32();
  value2 = in.U16();
}

void CLCNFrame::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.U16(style);
  out.U16(value1);
  out.U32(fill_color);
  out.U16(value2);
}

bool CLCNFrame::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNFrame>(other);
  return style == o.style && value1 == o.value1 && fill_color == o.fill_color && value2 == o.value2;
}

void CLCNLine::Read(ArchiveReader& in, const ReadForm&) {
  start.x = in.I32();
  start.y = in.I32();
  end.x = in.I32();
  end.y = in.I32();
  pen_style = in.U16();
  pen_width = in.U16();
  color = in.U32();
  value = in.U32();
}

void CLCNLine::Write(ArchiveWriter& out) const {
  out.I32(start.x);
  out.I32(start.y);
  out.I32(end.x);
  out.I32(end.y);
  out.U16(pen_style);
  out.U16(pen_width);
  out.U32(color);
  out.U32(value);
}

bool CLCNLine::Equals(const CLCNObject& other) const {
  if (Kind() != other.Kind()) return false;
  const auto& o = As<CLCNLine>(other);
  return start == o.start && end == o.end && pen_style == o.pen_style && pen_width == o.pen_width &&
         color == o.color && value == o.value;
}

void CLCNRectangle::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  value1 = in.U16();
  value2 = in.U32();
  for (CLCNLine& side : sides) side.Read(in, form);
}

void CLCNRectangle::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.U16(value1);
  out.U32(value2);
  for (const CLCNLine& side : sides) side.Write(out);
}

bool CLCNRectangle::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNRectangle>(other);
  if (value1 != o.value1 || value2 != o.value2) return false;
  for (size_t i = 0; i < sides.size(); ++i)
    if (!sides[i].Equals(o.sides[i])) return false;
  return true;
}

void CLCNXIcon::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  title = in.String();
  font.Read(in, form.short_fonts);
  text_color = in.U32();
  program = in.String();
  parameters = in.String();
  icon_file = in.String();
  icon_index = in.U16();
  functions = in.U32();
}

void CLCNXIcon::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.String(title);
  font.Write(out);
  out.U32(text_color);
  out.String(program);
  out.String(parameters);
  out.String(icon_file);
  out.U16(icon_index);
  out.U32(functions);
}

bool CLCNXIcon::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNXIcon>(other);
  return title == o.title && font == o.font && text_color == o.text_color && program == o.program &&
         parameters == o.parameters && icon_file == o.icon_file && icon_index == o.icon_index &&
         functions == o.functions;
}

void CLCNOle::Read(ArchiveReader& in, const ReadForm& form) {
  CLCNObject::Read(in, form);
  marker = in.U32();
  name = in.String();
}

void CLCNOle::Write(ArchiveWriter& out) const {
  CLCNObject::Write(out);
  out.U32(marker);
  out.String(name);
}

bool CLCNOle::Equals(const CLCNObject& other) const {
  if (!CLCNObject::Equals(other)) return false;
  const auto& o = As<CLCNOle>(other);
  return marker == o.marker && name == o.name;
}

}  // namespace qel::launch
