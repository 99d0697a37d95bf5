// The direct numeric path of ItemToText and TextToItem against the general
// one (DecodeNumber + FormatNumber, ParseNumber + EncodeNumber) over every
// numeric item shape, sign form and option, with seeded random and edge
// item bytes and field texts, valid and invalid. Status, length and every
// byte of the caller's buffer must agree, including the bytes that neither
// path may write.
#include "codec/numeric_item_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace qel::codec {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kUntouched = 0xA5;
constexpr int kMaxReportedMismatches = 10;

struct Shape {
  ItemFormat format;
  CodecOptions options;
};

// Every numeric shape: each attribute, digit count and split between
// integer and fraction digits, with each SIGN digit of a signed zoned item
// and each option that changes the attribute's encoding.
std::vector<Shape> AllShapes() {
  std::vector<Shape> shapes;
  const int attributes[] = {kSignedBinary,   kUnsignedBinary, kSignedPacked,
                            kUnsignedPacked, kSignedZoned,    kUnsignedZoned};
  for (int attribute : attributes) {
    bool binary = attribute == kSignedBinary || attribute == kUnsignedBinary;
    int max_digits = binary ? 9 : 19;
    for (int digits = 1; digits <= max_digits; ++digits) {
      for (int fraction = 0; fraction <= digits; ++fraction) {
        Shape s;
        s.format.attribute = attribute;
        s.format.integer_digits = digits - fraction;
        s.format.fraction_digits = fraction;
        std::vector<Shape> variants;
        if (attribute == kSignedZoned) {
          for (int sign = 0; sign <= 6; ++sign) {
            Shape v = s;
            v.format.sign = sign;
            variants.push_back(v);
          }
        } else if (attribute == kUnsignedZoned) {
          for (int bwz = 0; bwz < 4; ++bwz) {
            Shape v = s;
            v.format.blank_when_zero = bwz & 1;
            v.options.blank_when_zero = bwz & 2;
            variants.push_back(v);
          }
        } else {
          for (int option = 0; option < 2; ++option) {
            Shape v = s;
            v.options.big_endian = binary && option == 1;
            v.options.packed_digit_sign = !binary && option == 1;
            variants.push_back(v);
          }
        }
        for (Shape& v : variants) {
          v.format.byte_length = NumericByteLength(v.format);
          shapes.push_back(v);
        }
      }
    }
  }
  return shapes;
}

class Differential : public ::testing::Test {
 protected:
  std::mt19937_64 random_{20261209};
  int mismatches_ = 0;

  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

  std::string Describe(const Shape& s) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "attribute %d, %d.%d digits, sign %d, bwz %d/%d, big %d, "
                  "digit sign %d",
                  s.format.attribute, s.format.integer_digits, s.format.fraction_digits,
                  s.format.sign, s.format.blank_when_zero, s.options.blank_when_zero,
                  s.options.big_endian, s.options.packed_digit_sign);
    return text;
  }

  static std::string Hex(const std::uint8_t* data, std::size_t n) {
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < n; ++i) {
      std::snprintf(byte, sizeof byte, "%02X ", data[i]);
      text += byte;
    }
    return text;
  }

  void Mismatch(const std::string& what) {
    if (++mismatches_ <= kMaxReportedMismatches) ADD_FAILURE() << what;
  }

  // One item's bytes through both paths, into buffers of out_size.
  void CompareToText(const Shape& s, const Bytes& item, TextStyle style, std::size_t out_size) {
    // The item ends its heap block, so that a read past it is seen under
    // the address sanitizer.
    std::vector<char> direct(out_size, static_cast<char>(kUntouched));
    std::vector<char> general = direct;
    std::size_t direct_length = 12345;
    std::size_t general_length = 12345;
    Status direct_status = ItemToText(s.format, item, s.options, style, direct, &direct_length);
    Decimal value;
    Status general_status = DecodeNumber(s.format, item, s.options, &value);
    if (general_status == Status::kOk) {
      general_length = FormatNumber(value, style, general);
      if (general_length == 0) general_status = Status::kBadFormat;
    }
    if (direct_status != general_status || direct_length != general_length || direct != general) {
      Mismatch("to text, " + Describe(s) + ", style " + std::to_string(static_cast<int>(style)) +
               ", bytes " + Hex(item.data(), item.size()) + "out size " + std::to_string(out_size) +
               ": direct " + std::to_string(static_cast<int>(direct_status)) + " \"" +
               std::string(direct.data(), std::min(direct_length, direct.size())) + "\", general " +
               std::to_string(static_cast<int>(general_status)) + " \"" +
               std::string(general.data(), std::min(general_length, general.size())) + "\"");
    }
  }

  void CompareToItem(const Shape& s, const std::string& text) {
    std::vector<char> exact(text.begin(), text.end());
    std::string_view view(exact.data(), exact.size());
    auto n = static_cast<std::size_t>(s.format.byte_length);
    Bytes direct(n + 8, kUntouched);
    Bytes general = direct;
    Status direct_status = TextToItem(s.format, view, s.options, direct);
    Decimal value;
    Status general_status = Status::kInvalidData;
    if (text.size() <= kMaxFieldTextLength && ParseNumber(text, &value)) {
      general_status = EncodeNumber(s.format, value, s.options, general);
    }
    if (direct_status != general_status || direct != general) {
      Mismatch("to item, " + Describe(s) + ", text \"" + text + "\": direct " +
               std::to_string(static_cast<int>(direct_status)) + " " +
               Hex(direct.data(), direct.size()) + ", general " +
               std::to_string(static_cast<int>(general_status)) + " " +
               Hex(general.data(), general.size()));
    }
  }

  // A byte of a zoned item: mostly digits, often a byte with a sign zone or
  // a sign character, sometimes anything.
  std::uint8_t ZonedByte() {
    switch (Below(8)) {
      case 0:
        return static_cast<std::uint8_t>(0x70 + Below(16));
      case 1:
        return static_cast<std::uint8_t>(0xF0 + Below(16));
      case 2: {
        static const std::uint8_t kSpecial[] = {' ', '-', '+', '/', ':', 0x00, 0x3A, 0x2F};
        return kSpecial[Below(8)];
      }
      case 3:
        return static_cast<std::uint8_t>(Below(256));
      case 4:
        return '0';
      default:
        return static_cast<std::uint8_t>('0' + Below(10));
    }
  }

  // A nibble of a packed item: mostly digits, sometimes a sign or another
  // value.
  std::uint8_t PackedNibble() {
    if (Below(6) == 0) return static_cast<std::uint8_t>(Below(16));
    if (Below(4) == 0) return 0;
    return static_cast<std::uint8_t>(Below(10));
  }

  Bytes RandomItem(const Shape& s) {
    auto n = static_cast<std::size_t>(s.format.byte_length);
    Bytes item(n);
    switch (s.format.attribute) {
      case kSignedBinary:
      case kUnsignedBinary: {
        static const std::uint32_t kEdges[] = {0,         1,          0x7FFF,     0x8000,
                                               0xFFFF,    0x7FFFFFFF, 0x80000000, 0xFFFFFFFF,
                                               999999999, 1000000000, 9999,       10000};
        std::uint32_t raw =
            Below(4) == 0 ? kEdges[Below(12)] : static_cast<std::uint32_t>(random_());
        if (Below(3) == 0) raw %= 1000;
        for (std::size_t i = 0; i < n; ++i) item[i] = static_cast<std::uint8_t>(raw >> (8 * i));
        break;
      }
      case kSignedPacked:
      case kUnsignedPacked: {
        for (std::size_t i = 0; i < n; ++i) {
          item[i] = static_cast<std::uint8_t>(PackedNibble() << 4 | PackedNibble());
        }
        static const std::uint8_t kSigns[] = {0x0C, 0x0D, 0x0F};
        std::uint8_t sign = Below(5) == 0 ? static_cast<std::uint8_t>(Below(16)) : kSigns[Below(3)];
        item[n - 1] = static_cast<std::uint8_t>((item[n - 1] & 0xF0) | sign);
        break;
      }
      default:
        if (Below(20) == 0) {
          std::fill(item.begin(), item.end(), ' ');
        } else {
          for (auto& byte : item) byte = ZonedByte();
          // Mostly valid digits, so that values and not only refusals are
          // compared.
          if (Below(2) == 0) {
            for (auto& byte : item) {
              if (byte < '0' || byte > '9') byte = static_cast<std::uint8_t>('0' + Below(10));
            }
            if (Below(2) == 0) item[Below(static_cast<int>(n))] = ZonedByte();
          }
        }
        break;
    }
    return item;
  }

  std::string Digits(int count) {
    std::string text;
    bool zeros = Below(4) == 0;
    for (int i = 0; i < count; ++i)
      text += zeros && Below(3) != 0 ? '0' : static_cast<char>('0' + Below(10));
    return text;
  }

  std::string RandomText() {
    std::string text;
    switch (Below(3)) {
      case 0:
        text += '-';
        break;
      case 1:
        if (Below(2) == 0) text += '+';
        break;
      default:
        break;
    }
    text += Digits(Below(4) == 0 ? Below(24) : Below(12));
    if (Below(3) != 0) text += '.' + Digits(Below(4) == 0 ? Below(24) : Below(8));
    if (Below(6) == 0) {
      static const char kOdd[] = {' ', '.', '-', '+', 'a', '/', ':', '\0', '\xFF', '0'};
      text.insert(text.begin() + Below(static_cast<int>(text.size()) + 1), kOdd[Below(10)]);
    }
    return text;
  }
};

TEST_F(Differential, ItemBytesGiveTheSameTextAsTheGeneralPath) {
  const TextStyle styles[] = {TextStyle::kField, TextStyle::kDisplay};
  for (const Shape& s : AllShapes()) {
    for (int round = 0; round < 60; ++round) {
      Bytes item = RandomItem(s);
      for (TextStyle style : styles) {
        CompareToText(s, item, style, kMaxNumberTextLength);
        // Small buffers, often too short for the text.
        CompareToText(s, item, style, static_cast<std::size_t>(Below(23)));
      }
    }
  }
  EXPECT_EQ(mismatches_, 0);
}

// Every two-byte pattern, for one two-byte shape of each kind: all signs,
// nibbles and zones, valid or not.
TEST_F(Differential, EveryTwoByteItemGivesTheSameText) {
  for (const Shape& s : AllShapes()) {
    const ItemFormat& f = s.format;
    bool wanted =
        f.byte_length == 2 && ((f.integer_digits == 2 && f.fraction_digits == 2) ||  // binary
                               (f.integer_digits == 1 && f.fraction_digits == 2) ||  // packed
                               (f.integer_digits == 1 && f.fraction_digits == 1));   // zoned
    if (!wanted) continue;
    for (int pattern = 0; pattern < 0x10000; ++pattern) {
      Bytes item = {static_cast<std::uint8_t>(pattern >> 8), static_cast<std::uint8_t>(pattern)};
      CompareToText(s, item, TextStyle::kField, kMaxNumberTextLength);
    }
  }
  EXPECT_EQ(mismatches_, 0);
}

TEST_F(Differential, FieldTextsGiveTheSameItemAsTheGeneralPath) {
  const char* edges[] = {"",
                         "-",
                         "+",
                         ".",
                         "-.",
                         "+.",
                         "-0",
                         "0",
                         "+0",
                         "-0.0",
                         ".0",
                         "0.",
                         "-.5",
                         "..",
                         "1.2.",
                         "--1",
                         "+-1",
                         " 1",
                         "1 ",
                         "00000000000000000000000000001",    // 29 zeros and a 1
                         "123456789012345678901234567890",   // 30 characters
                         "1234567890123456789012345678901",  // 31 characters
                         "-12345678901234567890.123456789",
                         "9999999999999999999.9999999999"};
  for (const Shape& s : AllShapes()) {
    for (const char* text : edges) CompareToItem(s, text);
    for (int round = 0; round < 60; ++round) CompareToItem(s, RandomText());
  }
  EXPECT_EQ(mismatches_, 0);
}

// The direct path writes a text right up to the end of a buffer that is
// exactly its length and leaves a buffer one byte short untouched.
TEST(NumericItemText, TextFillsAnExactBufferAndNoMore) {
  ItemFormat f;
  f.attribute = kSignedZoned;
  f.integer_digits = 17;
  f.fraction_digits = 2;
  f.sign = kSignTrailingSeparate;
  f.byte_length = NumericByteLength(f);
  std::string item = "1234567890123456789-";
  std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(item.data()),
                                      item.size());
  std::vector<char> exact(21, 'x');
  std::size_t length = 0;
  ASSERT_EQ(ItemToText(f, bytes, {}, TextStyle::kField, exact, &length), Status::kOk);
  EXPECT_EQ(std::string(exact.data(), length), "-12345678901234567.89");
  std::vector<char> short_buffer(20, 'x');
  EXPECT_EQ(ItemToText(f, bytes, {}, TextStyle::kField, short_buffer, &length), Status::kBadFormat);
  EXPECT_EQ(length, 0U);
  EXPECT_EQ(std::string(short_buffer.data(), short_buffer.size()), std::string(20, 'x'));
}

}  // namespace
}  // namespace qel::codec
