// Item encodings byte for byte: decoding to field text, encoding from field
// text, the invalid-data checks, character placement, and a round trip over
// random values for every numeric encoding.
#include "codec/item_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace qel::codec {
namespace {

using Bytes = std::vector<std::uint8_t>;

ItemFormat Numeric(int attribute, int integer_digits, int fraction_digits, int sign = 0,
                   bool bwz = false) {
  ItemFormat f;
  f.attribute = attribute;
  f.integer_digits = integer_digits;
  f.fraction_digits = fraction_digits;
  f.sign = sign;
  f.blank_when_zero = bwz;
  f.byte_length = NumericByteLength(f);
  return f;
}

Bytes Ascii(std::string_view s) { return Bytes(s.begin(), s.end()); }

CodecOptions Options(bool big_endian = false, bool bwz = false) {
  CodecOptions o;
  o.big_endian = big_endian;
  o.blank_when_zero = bwz;
  return o;
}

std::string ToText(const ItemFormat& f, const Bytes& bytes, const CodecOptions& o, Status* status,
                   TextStyle style = TextStyle::kField) {
  char out[kMaxNumberTextLength];
  std::size_t length = 0;
  *status = ItemToText(f, bytes, o, style, out, &length);
  return std::string(out, *status == Status::kOk ? length : 0);
}

// --- Item bytes to text -----------------------------------------------------

struct DecodeCase {
  const char* name;
  ItemFormat format;
  CodecOptions options;
  Bytes bytes;
  const char* text;  // nullptr: invalid data
};

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, GivesText) {
  const DecodeCase& c = GetParam();
  Status status;
  std::string text = ToText(c.format, c.bytes, c.options, &status);
  if (c.text == nullptr) {
    EXPECT_EQ(status, Status::kInvalidData);
  } else {
    ASSERT_EQ(status, Status::kOk);
    EXPECT_EQ(text, c.text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Items, DecodeTest,
    ::testing::Values(
        // Binary, both byte orders; unsigned keeps only the item's digits.
        DecodeCase{"BinaryLittleNegative", Numeric(5, 3, 0), Options(), {0x85, 0xFF}, "-123"},
        DecodeCase{"BinaryBigNegative", Numeric(5, 3, 0), Options(true), {0xFF, 0x85}, "-123"},
        DecodeCase{
            "BinaryUnsignedKeepsLowDigits", Numeric(22, 4, 0), Options(), {0xFF, 0xFF}, "5535"},
        DecodeCase{"BinaryScaled", Numeric(5, 2, 2), Options(true), {0x04, 0xD2}, "12.34"},
        DecodeCase{
            "BinaryFourBytes", Numeric(5, 9, 0), Options(true), {0xFF, 0xFF, 0xFF, 0xFE}, "-2"},
        DecodeCase{"BinaryUnsignedTopBitSet",
                   Numeric(22, 9, 0),
                   Options(true),
                   {0xFF, 0xFF, 0xFF, 0xFF},
                   "294967295"},
        DecodeCase{"BinaryLargeSignedCut", Numeric(5, 2, 0), Options(), {0xD2, 0x04}, "34"},
        DecodeCase{"BinaryCutToNegativeZero", Numeric(5, 1, 0), Options(true), {0xF6, 0x00}, "-0"},
        DecodeCase{"BinarySmallFraction", Numeric(5, 0, 3), Options(), {0x05, 0x00}, ".005"},
        // Packed signed and unsigned, padding nibble for even digit counts.
        DecodeCase{"PackedNegative", Numeric(6, 5, 0), Options(), {0x12, 0x34, 0x5D}, "-12345"},
        DecodeCase{
            "PackedSignedRefusesF", Numeric(6, 5, 0), Options(), {0x12, 0x34, 0x5F}, nullptr},
        DecodeCase{"PackedUnsignedF", Numeric(7, 5, 0), Options(), {0x12, 0x34, 0x5F}, "12345"},
        DecodeCase{
            "PackedUnsignedRefusesC", Numeric(7, 5, 0), Options(), {0x12, 0x34, 0x5C}, nullptr},
        DecodeCase{"PackedEvenDigits", Numeric(6, 4, 0), Options(), {0x01, 0x23, 0x4C}, "1234"},
        DecodeCase{"PackedNegativeZero", Numeric(6, 3, 0), Options(), {0x00, 0x0D}, "-0"},
        DecodeCase{"PackedFraction", Numeric(6, 3, 2), Options(), {0x00, 0x15, 0x0C}, "1.50"},
        DecodeCase{"PackedSignNibbleA", Numeric(6, 3, 0), Options(), {0x12, 0x3A}, nullptr},
        DecodeCase{"PackedBadHighNibble", Numeric(6, 3, 0), Options(), {0xA2, 0x3C}, nullptr},
        DecodeCase{"PackedBadLowNibble", Numeric(6, 3, 0), Options(), {0x1B, 0x3C}, nullptr},
        DecodeCase{
            "PackedBadPaddingNibble", Numeric(6, 4, 0), Options(), {0xF1, 0x23, 0x4C}, nullptr},
        // Zoned in every SIGN form.
        DecodeCase{"ZonedTrailingEmbedded", Numeric(8, 4, 2, 1), Options(), Ascii("12344u"),
                   "-1234.45"},
        DecodeCase{"ZonedTrailingEmbeddedFive", Numeric(8, 3, 0, 5), Options(), Ascii("00u"), "-5"},
        DecodeCase{"ZonedLeadingEmbedded", Numeric(8, 3, 0, 4), Options(), Ascii("q23"), "-123"},
        DecodeCase{"ZonedLeadingSeparate", Numeric(8, 3, 0, 2), Options(), Ascii("-005"), "-5"},
        DecodeCase{"ZonedLeadingSeparatePlus", Numeric(8, 3, 0, 2), Options(), Ascii("+005"), "5"},
        DecodeCase{"ZonedTrailingSeparate", Numeric(8, 2, 1, 3), Options(), Ascii("123-"), "-12.3"},
        DecodeCase{"ZonedPositiveEmbedded", Numeric(8, 3, 0, 1), Options(), Ascii("007"), "7"},
        DecodeCase{"ZonedNegativeZero", Numeric(8, 3, 0, 1), Options(), Ascii("00p"), "-0"},
        DecodeCase{"ZonedNoSignStored", Numeric(8, 3, 0, 0), Options(), Ascii("123"), "123"},
        DecodeCase{"ZonedSpaceAmongDigits", Numeric(9, 3, 0), Options(), Ascii(" 12"), nullptr},
        DecodeCase{
            "ZonedEmbeddedBadDigit", Numeric(8, 3, 0, 1), Options(), {'1', '2', 0x7A}, nullptr},
        DecodeCase{"ZonedUnsignedNoSign", Numeric(9, 3, 0), Options(), Ascii("12u"), nullptr},
        DecodeCase{"ZonedSmallFraction", Numeric(9, 0, 2), Options(), Ascii("05"), ".05"},
        DecodeCase{"ZonedLeadingZerosGo", Numeric(9, 3, 2), Options(), Ascii("00150"), "1.50"},
        DecodeCase{"ZonedOneDigitStays", Numeric(9, 3, 0), Options(), Ascii("000"), "0"},
        // BLANK WHEN ZERO only with the clause and the option.
        DecodeCase{"BlankWhenZeroOn", Numeric(9, 3, 0, 0, true), Options(false, true), Ascii("   "),
                   "0"},
        DecodeCase{"BlankWhenZeroOptionOff", Numeric(9, 3, 0, 0, true), Options(), Ascii("   "),
                   nullptr},
        DecodeCase{"BlankWhenZeroNoClause", Numeric(9, 3, 0), Options(false, true), Ascii("   "),
                   nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Text to item bytes -----------------------------------------------------

struct EncodeCase {
  const char* name;
  ItemFormat format;
  CodecOptions options;
  const char* text;
  Bytes bytes;  // empty: invalid data
};

class EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, GivesBytes) {
  const EncodeCase& c = GetParam();
  Bytes out(static_cast<std::size_t>(c.format.byte_length) + 2, 0xEE);
  Status status = TextToItem(c.format, c.text, c.options, out);
  if (c.bytes.empty()) {
    EXPECT_EQ(status, Status::kInvalidData);
    return;
  }
  ASSERT_EQ(status, Status::kOk);
  Bytes expected = c.bytes;
  expected.push_back(0xEE);  // nothing written beyond the item
  expected.push_back(0xEE);
  EXPECT_EQ(out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Items, EncodeTest,
    ::testing::Values(
        EncodeCase{"BinaryLittle", Numeric(5, 3, 0), Options(), "-123", {0x85, 0xFF}},
        EncodeCase{"BinaryBig", Numeric(5, 3, 0), Options(true), "-123", {0xFF, 0x85}},
        EncodeCase{"BinaryScaled", Numeric(5, 2, 2), Options(true), "12.34", {0x04, 0xD2}},
        EncodeCase{"BinaryFitsNines", Numeric(5, 4, 0), Options(true), "9999", {0x27, 0x0F}},
        EncodeCase{"BinaryUnsignedDropsSign", Numeric(22, 3, 0), Options(), "-5", {0x05, 0x00}},
        EncodeCase{
            "BinaryFourBytes", Numeric(5, 9, 0), Options(true), "-2", {0xFF, 0xFF, 0xFF, 0xFE}},
        EncodeCase{"PackedEvenDigits", Numeric(6, 4, 0), Options(), "1234", {0x01, 0x23, 0x4C}},
        EncodeCase{"PackedNegative", Numeric(6, 5, 0), Options(), "-12345", {0x12, 0x34, 0x5D}},
        EncodeCase{"PackedUnsignedAlwaysF", Numeric(7, 3, 0), Options(), "-12", {0x01, 0x2F}},
        EncodeCase{"PackedNegativeZeroKept", Numeric(6, 1, 0), Options(), "-0", {0x0D}},
        EncodeCase{"PackedFraction", Numeric(6, 1, 1), Options(), "-1.5", {0x01, 0x5D}},
        EncodeCase{"FractionCutNotRounded", Numeric(9, 3, 2), Options(), "12.345", Ascii("01234")},
        EncodeCase{"IntegerCut", Numeric(9, 3, 0), Options(), "1234", Ascii("234")},
        EncodeCase{"UnsignedZonedDropsSign", Numeric(9, 3, 0), Options(), "-5", Ascii("005")},
        EncodeCase{"LeadingSeparate", Numeric(8, 3, 0, 2), Options(), "-5", Ascii("-005")},
        EncodeCase{"LeadingSeparatePositive", Numeric(8, 3, 0, 2), Options(), "5", Ascii("+005")},
        EncodeCase{"TrailingSeparate", Numeric(8, 3, 0, 3), Options(), "-5", Ascii("005-")},
        EncodeCase{"TrailingEmbedded", Numeric(8, 3, 0, 1), Options(), "-5", {'0', '0', 0x75}},
        EncodeCase{"TrailingEmbeddedFive", Numeric(8, 3, 0, 5), Options(), "-5", {'0', '0', 0x75}},
        EncodeCase{"LeadingEmbedded", Numeric(8, 3, 0, 4), Options(), "-5", {0x70, '0', '5'}},
        EncodeCase{"EmbeddedPositive", Numeric(8, 3, 0, 1), Options(), "+5", Ascii("005")},
        EncodeCase{"NoSignStored", Numeric(8, 3, 0, 0), Options(), "-5", Ascii("005")},
        EncodeCase{"EmptyIsZero", Numeric(8, 2, 1, 2), Options(), "", Ascii("+000")},
        EncodeCase{"PointOnly", Numeric(9, 1, 1), Options(), ".5", Ascii("05")},
        EncodeCase{"BlankWhenZero", Numeric(9, 3, 0, 0, true), Options(false, true), "0",
                   Ascii("   ")},
        EncodeCase{"BlankWhenZeroOptionOff", Numeric(9, 3, 0, 0, true), Options(), "0",
                   Ascii("000")},
        EncodeCase{"BlankWhenZeroAfterCut", Numeric(9, 2, 0, 0, true), Options(false, true), "100",
                   Ascii("  ")},
        EncodeCase{"LeadingSpaceInvalid", Numeric(9, 3, 0), Options(), " 5", {}},
        EncodeCase{"TrailingSpaceInvalid", Numeric(5, 3, 0), Options(), "5 ", {}},
        EncodeCase{"SecondPointInvalid", Numeric(9, 3, 2), Options(), "1.2.3", {}},
        EncodeCase{"MinusInsideInvalid", Numeric(9, 3, 0), Options(), "1-2", {}},
        EncodeCase{
            "TooLongInvalid", Numeric(9, 3, 0), Options(), "0000000000000000000000000000001", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ItemCodec, ThirtyCharacterTextIsAccepted) {
  ItemFormat f = Numeric(9, 3, 0);
  Bytes out(3);
  EXPECT_EQ(TextToItem(f, std::string(29, '0') + "7", Options(), out), Status::kOk);
  EXPECT_EQ(out, Ascii("007"));
}

TEST(ItemCodec, ConverterReadingAcceptsDigitSignNibble) {
  ItemFormat f = Numeric(6, 3, 0);
  CodecOptions o;
  Status status;
  EXPECT_EQ(ToText(f, {0x12, 0x33}, o, &status), "");
  EXPECT_EQ(status, Status::kInvalidData);
  o.packed_digit_sign = true;
  EXPECT_EQ(ToText(f, {0x12, 0x33}, o, &status), "123");
  EXPECT_EQ(ToText(f, {0x12, 0x3F}, o, &status), "");
  EXPECT_EQ(status, Status::kInvalidData);
}

TEST(ItemCodec, DisplayStyleKeepsOneIntegerZero) {
  Status status;
  EXPECT_EQ(ToText(Numeric(9, 0, 2), Ascii("05"), Options(), &status, TextStyle::kDisplay), "0.05");
  EXPECT_EQ(ToText(Numeric(6, 0, 2), {0x00, 0x5D}, Options(), &status, TextStyle::kDisplay),
            "-0.05");
}

TEST(ItemCodec, TextBufferNeedsOnlyTheText) {
  ItemFormat f = Numeric(8, 5, 2, 1);  // "-12345.67": 9 characters
  Bytes bytes = Ascii("123456w");
  char out[9];
  std::size_t length = 0;
  ASSERT_EQ(ItemToText(f, bytes, Options(), TextStyle::kField, out, &length), Status::kOk);
  EXPECT_EQ(std::string(out, length), "-12345.67");
  EXPECT_EQ(ItemToText(f, bytes, Options(), TextStyle::kField, std::span<char>(out, 8), &length),
            Status::kBadFormat);
}

TEST(ItemCodec, CallerRecordIsNotChanged) {
  const Bytes record = {'1', '2', 0x75};
  Bytes copy = record;
  Status status;
  EXPECT_EQ(ToText(Numeric(8, 3, 0, 1), copy, Options(), &status), "-125");
  EXPECT_EQ(copy, record);
}

// --- Bad formats and attributes ---------------------------------------------

TEST(ItemCodec, RefusesInconsistentFormats) {
  Decimal value;
  Bytes bytes(8, '0');
  ItemFormat f = Numeric(5, 10, 0);  // binary of more than 9 digits
  EXPECT_EQ(f.byte_length, -1);
  EXPECT_EQ(DecodeNumber(f, bytes, Options(), &value), Status::kBadFormat);

  f = Numeric(9, 3, 0);
  f.byte_length = 4;  // disagrees with the digits
  EXPECT_EQ(DecodeNumber(f, bytes, Options(), &value), Status::kBadFormat);

  f = Numeric(6, 5, 0);
  EXPECT_EQ(DecodeNumber(f, Bytes(2), Options(), &value), Status::kBadFormat);  // span too short
  Bytes small(2);
  EXPECT_EQ(EncodeNumber(f, value, Options(), small), Status::kBadFormat);
  EXPECT_EQ(TextToItem(f, "1", Options(), small), Status::kBadFormat);

  f = Numeric(9, 0, 0);
  EXPECT_EQ(f.byte_length, -1);
  f.attribute = 6;
  f.integer_digits = -1;
  f.fraction_digits = 2;
  EXPECT_EQ(NumericByteLength(f), -1);
}

TEST(ItemCodec, OtherAttributesAreNotConvertible) {
  for (int attribute : {0, 4, 10, 11, 12, 13, 14, 18, 19, 20, 21, 23, -1}) {
    ItemFormat f;
    f.attribute = attribute;
    f.byte_length = 4;
    Bytes bytes(4, '1');
    char out[kMaxNumberTextLength];
    std::size_t length = 0;
    EXPECT_EQ(ItemToText(f, bytes, Options(), TextStyle::kField, out, &length),
              Status::kNotConvertible)
        << attribute;
    EXPECT_EQ(TextToItem(f, "1", Options(), bytes), Status::kNotConvertible) << attribute;
  }
  EXPECT_EQ(ClassOf(4), ItemClass::kGroup);
  EXPECT_EQ(ClassOf(16), ItemClass::kCharacter);
  EXPECT_EQ(ClassOf(17), ItemClass::kNational);
  EXPECT_EQ(ClassOf(22), ItemClass::kNumeric);
}

// --- Character and national items -------------------------------------------

struct PlaceCase {
  const char* name;
  int attribute;
  bool justified;
  int length;
  const char* text;
  Bytes bytes;
};

class PlaceTest : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceTest, FillsItem) {
  const PlaceCase& c = GetParam();
  ItemFormat f;
  f.attribute = c.attribute;
  f.byte_length = c.length;
  f.justified = c.justified;
  Bytes out(static_cast<std::size_t>(c.length));
  ASSERT_EQ(TextToItem(f, c.text, Options(), out), Status::kOk);
  EXPECT_EQ(out, c.bytes);
  // Character items come back unchanged, trailing spaces included.
  char text[64];
  std::size_t length = 0;
  ASSERT_EQ(ItemToText(f, out, Options(), TextStyle::kField, text, &length), Status::kOk);
  EXPECT_EQ(Bytes(text, text + length), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Items, PlaceTest,
    ::testing::Values(
        PlaceCase{"Cut", 1, false, 3, "ABCDE", Ascii("ABC")},
        PlaceCase{"Padded", 1, false, 8, "ABCDE", Ascii("ABCDE   ")},
        PlaceCase{"JustifiedCut", 1, true, 3, "ABCDE", Ascii("CDE")},
        PlaceCase{"JustifiedPadded", 2, true, 5, "AB", Ascii("   AB")},
        PlaceCase{"Empty", 16, false, 2, "", Ascii("  ")},
        PlaceCase{"NationalEven", 3, false, 4, "ab", {'a', 'b', 0x81, 0x40}},
        PlaceCase{"NationalOdd", 3, false, 4, "abc", Ascii("abc ")},
        PlaceCase{"NationalOddLonger", 3, false, 6, "abc", {'a', 'b', 'c', ' ', 0x81, 0x40}},
        PlaceCase{"NationalJustifiedOdd", 17, true, 6, "abc", {0x81, 0x40, ' ', 'a', 'b', 'c'}},
        PlaceCase{"NationalJustifiedCut", 3, true, 4, "abcdef", Ascii("cdef")},
        PlaceCase{"NationalEmpty", 3, false, 4, "", {0x81, 0x40, 0x81, 0x40}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ItemCodec, LeftAlignsJustifiedValues) {
  Bytes value = Ascii("   AB");
  LeftAlignJustified(value, false);
  EXPECT_EQ(value, Ascii("AB   "));
  value = Ascii("    ");
  LeftAlignJustified(value, false);
  EXPECT_EQ(value, Ascii("    "));
  value = {0x81, 0x40, 0x81, 0x40, 0x82, 0xA0};
  LeftAlignJustified(value, true);
  EXPECT_EQ(value, (Bytes{0x82, 0xA0, 0x81, 0x40, 0x81, 0x40}));
  // A single-byte space before national text is not a full-width space.
  value = {0x81, 0x40, ' ', 'a', 'b', 'c'};
  LeftAlignJustified(value, true);
  EXPECT_EQ(value, (Bytes{' ', 'a', 'b', 'c', 0x81, 0x40}));
  value = {0x81, 0x40, 0x81};  // odd length: the last byte is not a space pair
  LeftAlignJustified(value, true);
  EXPECT_EQ(value, (Bytes{0x81, 0x81, 0x40}));
}

// --- Round trip over random values ------------------------------------------

struct RoundTripCase {
  const char* name;
  int attribute;
  int sign;
};

class RoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTripTest, RandomValuesSurvive) {
  const RoundTripCase& c = GetParam();
  bool is_binary = c.attribute == kSignedBinary || c.attribute == kUnsignedBinary;
  bool is_signed =
      c.attribute == kSignedBinary || c.attribute == kSignedPacked || c.attribute == kSignedZoned;
  std::mt19937 random(12345 + c.attribute * 10 + c.sign);
  int max_digits = is_binary ? 9 : 18;
  for (int iteration = 0; iteration < 2000; ++iteration) {
    int digits = 1 + static_cast<int>(random() % max_digits);
    int fraction = static_cast<int>(random() % (digits + 1));
    ItemFormat f = Numeric(c.attribute, digits - fraction, fraction, c.sign);
    Decimal value;
    value.integer_digits = f.integer_digits;
    value.fraction_digits = f.fraction_digits;
    for (int i = 0; i < digits; ++i) value.digits[i] = static_cast<std::uint8_t>(random() % 10);
    value.negative = is_signed && random() % 2 == 0;
    // A binary item has no negative zero.
    if (is_binary && IsZero(value)) value.negative = false;

    for (bool big_endian : {false, true}) {
      CodecOptions o = Options(big_endian);
      Bytes bytes(static_cast<std::size_t>(f.byte_length));
      ASSERT_EQ(EncodeNumber(f, value, o, bytes), Status::kOk);
      Decimal back;
      ASSERT_EQ(DecodeNumber(f, bytes, o, &back), Status::kOk);
      ASSERT_EQ(back.negative, value.negative) << iteration;
      ASSERT_EQ(back.integer_digits, value.integer_digits);
      ASSERT_EQ(back.fraction_digits, value.fraction_digits);
      ASSERT_EQ(Compare(back, value), 0) << iteration;

      // And through the field text, back to the same bytes.
      char text[kMaxNumberTextLength];
      std::size_t length = 0;
      ASSERT_EQ(ItemToText(f, bytes, o, TextStyle::kField, text, &length), Status::kOk);
      Bytes again(bytes.size());
      ASSERT_EQ(TextToItem(f, std::string_view(text, length), o, again), Status::kOk);
      ASSERT_EQ(again, bytes) << std::string_view(text, length);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, RoundTripTest,
                         ::testing::Values(RoundTripCase{"SignedBinary", 5, 0},
                                           RoundTripCase{"UnsignedBinary", 22, 0},
                                           RoundTripCase{"SignedPacked", 6, 0},
                                           RoundTripCase{"UnsignedPacked", 7, 0},
                                           RoundTripCase{"ZonedTrailingEmbedded", 8, 1},
                                           RoundTripCase{"ZonedLeadingSeparate", 8, 2},
                                           RoundTripCase{"ZonedTrailingSeparate", 8, 3},
                                           RoundTripCase{"ZonedLeadingEmbedded", 8, 4},
                                           RoundTripCase{"ZonedTrailingEmbeddedFive", 8, 5},
                                           RoundTripCase{"UnsignedZoned", 9, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace qel::codec
