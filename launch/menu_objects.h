// The objects of a menu document. Each class reads and writes its own fields
// after the common position; texts are CP932 bytes and stay so.
//
// Position (every class but CLCNLine):
//   0  2  left (signed)      2  2  top (signed)
//   4  2  width              6  2  height
// Font record (60 bytes):
//   0 4 height  4 4 width  8 4 escapement  12 4 orientation  16 4 weight
//   20 italic 21 underline 22 strike-out 23 character set 24 output precision
//   25 clip precision 26 quality 27 pitch and family  28 32 face name
// Older files hold a 50-byte font: the five 32-bit values as 16 bits each.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "launch/archive.h"

namespace qel::launch {

class CQelstartDoc;

using ColorRef = uint32_t;  // 0x00BBGGRR

inline constexpr ColorRef kBlack = 0x000000;
inline constexpr ColorRef kWhite = 0xFFFFFF;
inline constexpr ColorRef kLightGray = 0xC0C0C0;
inline constexpr ColorRef kButtonTextColor = 0x000000;

struct LogFont {
  int32_t height = 0;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 0;
  uint8_t italic = 0;
  uint8_t underline = 0;
  uint8_t strike_out = 0;
  uint8_t char_set = 0;
  uint8_t out_precision = 0;
  uint8_t clip_precision = 0;
  uint8_t quality = 0;
  uint8_t pitch_and_family = 0;
  std::array<char, 32> face_name{};

  bool operator==(const LogFont&) const = default;
  // Height 16, weight 400, Shift-JIS, the Mincho face.
  static LogFont TextDefault();
  void Read(ArchiveReader& in, bool short_form);
  void Write(ArchiveWriter& out) const;
};

struct Rect16 {
  int16_t left = 0;
  int16_t top = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  bool operator==(const Rect16&) const = default;
};

struct Point32 {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Point32&) const = default;
};

// How the fields of an object are laid out in the file being read.
struct ReadForm {
  bool short_fonts = false;  // older layout: 50-byte fonts
  bool reduced = false;      // .DMK menu: no parameters, no menu number
};

enum class ObjectKind {
  kString,
  kButton,
  kPfKey,
  kInput,
  kPicture,
  kFrame,
  kLine,
  kRectangle,
  kXIcon,
  kOle,
};

class CLCNObject {
 public:
  virtual ~CLCNObject() = default;
  virtual ObjectKind Kind() const = 0;
  virtual std::string_view ClassName() const = 0;
  virtual void Read(ArchiveReader& in, const ReadForm& form);
  virtual void Write(ArchiveWriter& out) const;
  virtual bool Equals(const CLCNObject& other) const;

  CQelstartDoc* document = nullptr;
  Rect16 position;

 protected:
  CLCNObject() = default;
};

// Creates an object of a class stored in a file; null for an unknown name.
std::unique_ptr<CLCNObject> CreateObject(std::string_view class_name);

class CLCNString : public CLCNObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::kString; }
  std::string_view ClassName() const override { return "CLCNString"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  std::string text;
  LogFont font = LogFont::TextDefault();
  ColorRef text_color = kBlack;
  // Single line, centred vertically, no prefix processing; the horizontal
  // alignment flags are 0 left, 1 centre, 2 right.
  uint16_t draw_format = 0;
  uint32_t value = 0;
};

class CLCNButton : public CLCNObject {
 public:
  enum : uint32_t { kEndButton = 1, kWaitForEnd = 2, kStartIconic = 4 };
  ObjectKind Kind() const override { return ObjectKind::kButton; }
  std::string_view ClassName() const override { return "CLCNButton"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  std::string title;
  LogFont font = LogFont::TextDefault();
  ColorRef text_color = kButtonTextColor;
  std::string program;
  uint32_t reserved = 0;
  uint16_t control_id = 0;
  uint32_t functions = 0;
  std::string parameters;
  uint16_t menu_number = 0;  // 0: none
};

class CLCNPfKey : public CLCNObject {
 public:
  enum Function : uint16_t { kEnd = 0, kFirstScreen = 1, kPreviousScreen = 2, kCommandLine = 3 };
  ObjectKind Kind() const override { return ObjectKind::kPfKey; }
  std::string_view ClassName() const override { return "CLCNPfKey"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  std::string title;
  LogFont font = LogFont::TextDefault();
  ColorRef text_color = kBlack;
  uint32_t reserved = 0;
  uint16_t control_id = 0;
  uint32_t fixed_function = 0;  // 1: a fixed function, 0: starts a button
  std::string button_title;
  uint16_t function = kEnd;
};

class CLCNInput : public CLCNObject {
 public:
  CLCNInput() {
    position.width = 90;
    position.height = 30;
  }
  ObjectKind Kind() const override { return ObjectKind::kInput; }
  std::string_view ClassName() const override { return "CLCNInput"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  uint32_t reserved = 0;
  uint16_t control_id = 0;
};

class CLCNPicture : public CLCNObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::kPicture; }
  std::string_view ClassName() const override { return "CLCNPicture"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  // Whether `image_file` can be shown: empty when it is a BMP file or a bare
  // DIB, else the message to show (CP932). Image data above kMaxImageBytes is
  // refused as too large.
  static constexpr int64_t kMaxImageBytes = 64 * 1024 * 1024;
  std::string CheckImageFile() const;

  std::string image_file;
  uint32_t value = 0;
  uint32_t reserved1 = 0;
  uint32_t reserved2 = 0;
  uint32_t value_pair1 = 1;  // both set to 1 after reading
  uint32_t value_pair2 = 1;
};

class CLCNFrame : public CLCNObject {
 public:
  enum Style : uint16_t { kNone = 1, kShadow = 2, kSunken = 3, kRaised = 4, kGroove = 5 };
  ObjectKind Kind() const override { return ObjectKind::kFrame; }
  std::string_view ClassName() const override { return "CLCNFrame"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;
  // The style the frame is drawn with: any value outside 1..5 draws as 1.
  Style DrawStyle() const { return style >= 1 && style <= 5 ? static_cast<Style>(style) : kNone; }

  uint16_t style = kNone;
  uint16_t value1 = 0;
  ColorRef fill_color = kLightGray;
  uint16_t value2 = 0;
};

class CLCNLine : public CLCNObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::kLine; }
  std::string_view ClassName() const override { return "CLCNLine"; }
  // A line holds its two points in place of the 16-bit position.
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  Point32 start;
  Point32 end;
  uint16_t pen_style = 0;  // solid
  uint16_t pen_width = 1;
  ColorRef color = kBlack;
  uint32_t value = 0;
};

class CLCNRectangle : public CLCNObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::kRectangle; }
  std::string_view ClassName() const override { return "CLCNRectangle"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  uint16_t value1 = 2;
  uint32_t value2 = 0;
  std::array<CLCNLine, 4> sides;  // embedded: no class tag of their own
};

class CLCNXIcon : public CLCNObject {
 public:
  ObjectKind Kind() const override { return ObjectKind::kXIcon; }
  std::string_view ClassName() const override { return "CLCNXIcon"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  std::string title;
  LogFont font = LogFont::TextDefault();
  ColorRef text_color = kBlack;
  std::string program;
  std::string parameters;
  std::string icon_file;
  uint16_t icon_index = 0;
  uint32_t functions = 0;  // 2 wait for the end, 4 start iconised
};

class CLCNOle : public CLCNObject {
 public:
  static constexpr uint32_t kMarker = 0x04000000;
  ObjectKind Kind() const override { return ObjectKind::kOle; }
  std::string_view ClassName() const override { return "CLCNOle"; }
  void Read(ArchiveReader& in, const ReadForm& form) override;
  void Write(ArchiveWriter& out) const override;
  bool Equals(const CLCNObject& other) const override;

  uint32_t marker = kMarker;
  std::string name;
};

}  // namespace qel::launch
