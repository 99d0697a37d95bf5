// The definition reader: lexical form, both recoveries, value storage and the
// syntax errors that end a read.
#include "recacc/definition_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qel::recacc {
namespace {

const char kHead[] = "HEDR FMVR 0100 ; ERFG 0 ; ENDHEDR ; BODR RNUM 1 ; ENDBODR ; ";
const char kTail[] = " TRAR ENDTRAR ;";

struct Read {
  std::vector<DefinitionReader::Parsed::Record> records;
  NextResult end;
};

Read Parse(const std::string& text, Grammar g = Grammar::kRecordDefinition, bool strict = false) {
  auto p = ParseDefinition(text, g, strict);
  return {p.records, p.end};
}

// The item record of a record definition whose only item is `item`.
Read ParseItem(const std::string& item) { return Parse(kHead + item + kTail); }

std::string Field(const Read& r, std::size_t index, FieldRef f) {
  if (index >= r.records.size()) return "<missing>";
  return std::string(StringField(r.records[index].bytes, f));
}

TEST(DefinitionReader, ReadsAllFourRecordKindsInOrder) {
  Read r = ParseItem("ITMR LNUM 01 ; DTNM CUST-REC ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd);
  ASSERT_EQ(r.records.size(), 4u);
  EXPECT_EQ(r.records[0].kind, RecordKind::kHeader);
  EXPECT_EQ(r.records[1].kind, RecordKind::kBody);
  EXPECT_EQ(r.records[2].kind, RecordKind::kItem);
  EXPECT_EQ(r.records[3].kind, RecordKind::kTrailer);
  EXPECT_EQ(r.records[2].bytes.size(), kItemRecordSize);
  EXPECT_EQ(Field(r, 2, field::kDtnm), "CUST-REC");
}

TEST(DefinitionReader, StoresStringAndIntegerFieldsAtTheirOffsets) {
  Read r = ParseItem("ITMR LNUM 05 ; DTNM AB ; ENDITMR ;");
  ASSERT_EQ(r.records.size(), 4u);
  const std::string& item = r.records[2].bytes;
  // String: value, NUL, blanks to the width.
  EXPECT_EQ(item.substr(0, 3), std::string("05\0", 3));
  EXPECT_EQ(item.substr(3, 31), std::string("AB\0", 3) + std::string(28, ' '));
  // Omitted string field: NUL at its start.
  EXPECT_EQ(item.substr(34, 3), std::string("\0  ", 3));
  // Integer: right-aligned before the final NUL; omitted one has only the NUL.
  const std::string& body = r.records[1].bytes;
  EXPECT_EQ(body, std::string("   1\0", 5));
  EXPECT_EQ(r.records[0].bytes.substr(102, 2), std::string("0\0", 2));
  EXPECT_EQ(r.records[3].bytes.substr(102, 2), std::string(" \0", 2));
}

TEST(DefinitionReader, OmittedFieldsReadAsEmpty) {
  Read r = ParseItem("ITMR LNUM 01 ; DTNM R ; DTAT X ; DALE 20 ; ANUM 0 ; SUAF T ; "
                     "BURL 0 ; BIRL 0 ; BLWZ F ; JUST F ; SIGN 0 ; SYNC F ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd);
  EXPECT_EQ(Field(r, 2, field::kEdcs), "");
  EXPECT_EQ(Field(r, 2, field::kRenm), "");
  EXPECT_EQ(Field(r, 2, field::kUsag), "");
  EXPECT_EQ(Field(r, 2, field::kBurl), "0");
  EXPECT_EQ(Field(r, 2, field::kSync), "F");
}

TEST(DefinitionReader, FieldOutOfOrderIsDiscardedWithItsValue) {
  Read r = ParseItem("ITMR DTNM NAME ; LNUM 01 ; DTAT X ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd);
  EXPECT_EQ(Field(r, 2, field::kLnum), "");
  EXPECT_EQ(Field(r, 2, field::kDtnm), "NAME");
  EXPECT_EQ(Field(r, 2, field::kDtat), "X");
}

TEST(DefinitionReader, StrayTokensAreDiscarded) {
  Read r = ParseItem("ITMR 7 ; LNUM 01 02 ; ; DTNM \"N\" ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd);
  EXPECT_EQ(Field(r, 2, field::kLnum), "01");
  EXPECT_EQ(Field(r, 2, field::kDtnm), "N");
}

TEST(DefinitionReader, DiscardedWordBeforeAWordSkipsToItsEndWord) {
  // "XTRA" is unknown and followed by a word: everything up to ENDXTRA goes.
  Read r = ParseItem("ITMR XTRA LNUM 09 ; ENDXTRA LNUM 01 ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd);
  EXPECT_EQ(Field(r, 2, field::kLnum), "01");
}

TEST(DefinitionReader, CommentsBetweenAndInsideTokens) {
  Read r = ParseItem("ITMR LNUM /* level */ 01 ; DTNM AB/*x*/CD ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd);
  EXPECT_EQ(Field(r, 2, field::kLnum), "01");
  EXPECT_EQ(Field(r, 2, field::kDtnm), "AB");  // CD is a second, discarded word
}

TEST(DefinitionReader, OpenCommentEndsTheInput) {
  Read r = Parse(std::string(kHead) + "ITMR LNUM 01 ; ENDITMR ; TRAR ENDTRAR ; /* open");
  EXPECT_EQ(r.end, NextResult::kEnd);
  Read cut = Parse(std::string(kHead) + "ITMR LNUM 01 ; /* ENDITMR ; TRAR ENDTRAR ;");
  EXPECT_EQ(cut.end, NextResult::kSyntaxError);
  EXPECT_EQ(cut.records.size(), 2u);
}

TEST(DefinitionReader, CrLfLineEnds) {
  Read r = Parse("HEDR\r\nERFG 0 ;\r\nENDHEDR ;\r\nBODR RNUM 1 ; ENDBODR ;\r\n"
                 "ITMR DTNM \"A\" ;\r\nENDITMR ;\r\nTRAR ENDTRAR ;\r\n");
  EXPECT_EQ(r.end, NextResult::kEnd);
  EXPECT_EQ(Field(r, 2, field::kDtnm), "A");
}

struct QuotedCase {
  std::string source, value;
};
class QuotedString : public testing::TestWithParam<QuotedCase> {};

TEST_P(QuotedString, Escapes) {
  Read r = ParseItem("ITMR EDCS " + GetParam().source + " ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd) << GetParam().source;
  EXPECT_EQ(Field(r, 2, field::kEdcs), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    All, QuotedString,
    testing::Values(QuotedCase{"\"\"", ""}, QuotedCase{"\"a b;c\"", "a b;c"},
                    QuotedCase{"\"\\\"\\'\\\\\"", "\"'\\"}, QuotedCase{"\"\\f\\n\\t\"", "\f\n\t"},
                    QuotedCase{"\"\\x41\\x7e\"", "A~"}, QuotedCase{"\"\\x4G\"", "\\x4G"},
                    QuotedCase{"\"\\xAB\"", "\\xAB"}, QuotedCase{"\"\\q\"", "\\q"},
                    // A trail byte 0x5C or 0x22 belongs to its double-byte character.
                    QuotedCase{"\"\x95\\\"", "\x95\\"}, QuotedCase{"\"\x83\"\"", "\x83\""},
                    QuotedCase{"\"[\x7f\x80\"", "[\x7f\x80"}));

class SyntaxError : public testing::TestWithParam<std::string> {};

TEST_P(SyntaxError, EndsTheRead) {
  Read r = ParseItem("ITMR DTNM " + GetParam() + " ; ENDITMR ;");
  EXPECT_EQ(r.end, NextResult::kSyntaxError) << GetParam();
  EXPECT_EQ(r.records.size(), 2u);  // header and body came before it
}

INSTANTIATE_TEST_SUITE_P(All, SyntaxError,
                         testing::Values("A[B", "A\\B", "A\x7f", "A\rB", "\x80", "\xA0",
                                         "\xF0", "\xFF", "A\x01", "\xB1\xB2",  // katakana inside
                                         "A\xB1", "\"open", "\"a\nb\"", "\"a\fb\""));

TEST(DefinitionReader, KatakanaAndDoubleByteWords) {
  Read r = ParseItem("ITMR DTNM \xB1\x41\x82\xA0\x83\x5C ; ENDITMR ;");
  ASSERT_EQ(r.end, NextResult::kEnd);
  EXPECT_EQ(Field(r, 2, field::kDtnm), "\xB1\x41\x82\xA0\x83\x5C");
}

TEST(DefinitionReader, StringValuesAreCutToTheFieldWidth) {
  std::string forty(40, 'N');
  Read r = ParseItem("ITMR DTNM " + forty + " ; ENDITMR ;");
  EXPECT_EQ(Field(r, 2, field::kDtnm), std::string(30, 'N'));
  // 29 ASCII bytes and a double-byte character: the character does not fit
  // whole and is left out rather than split.
  Read dbcs = ParseItem("ITMR DTNM " + std::string(29, 'A') + "\x82\xA0 ; ENDITMR ;");
  EXPECT_EQ(Field(dbcs, 2, field::kDtnm), std::string(29, 'A'));
  Read edcs = ParseItem("ITMR EDCS " + std::string(28, 'Z') + "\x82\xA0\x82\xA0 ; ENDITMR ;");
  EXPECT_EQ(Field(edcs, 2, field::kEdcs), std::string(28, 'Z') + "\x82\xA0");
}

TEST(DefinitionReader, IntegerFieldLimits) {
  auto body = [](const std::string& rnum) {
    return Parse("HEDR ENDHEDR ; BODR RNUM " + rnum + " ; ENDBODR ; TRAR ENDTRAR ;");
  };
  EXPECT_EQ(body("9999").end, NextResult::kEnd);
  EXPECT_EQ(IntegerField(body("9999").records[1].bytes, field::kRnum), "9999");
  EXPECT_EQ(body("0").end, NextResult::kEnd);
  EXPECT_EQ(body("10000").end, NextResult::kSyntaxError);
  EXPECT_EQ(body("00001").end, NextResult::kSyntaxError);  // leading zeros count
  EXPECT_EQ(body("+12").end, NextResult::kEnd);
  EXPECT_EQ(body("ABC").end, NextResult::kSyntaxError);
  EXPECT_EQ(body("\"1\"").end, NextResult::kSyntaxError);
  auto erfg = [](const std::string& v) { return Parse("HEDR ERFG " + v + " ; ENDHEDR ;").end; };
  EXPECT_EQ(erfg("00"), NextResult::kSyntaxError);
  EXPECT_EQ(erfg("10"), NextResult::kSyntaxError);
  EXPECT_EQ(erfg("X"), NextResult::kSyntaxError);
}

TEST(DefinitionReader, RecordsOutOfPlaceAreDiscarded) {
  // A record definition needs the body before items; a missing trailer is an
  // error only where the trailer is read.
  Read r = Parse("HEDR ENDHEDR ; ITMR ; BODR RNUM 1 ; ENDBODR ;");
  EXPECT_EQ(r.records.size(), 2u);
  EXPECT_EQ(r.records[1].kind, RecordKind::kBody);
  EXPECT_EQ(r.end, NextResult::kSyntaxError);
  Read tail = Parse("HEDR ENDHEDR ; BODR RNUM 1 ; ENDBODR ; TRAR ENDTRAR ; junk ;");
  EXPECT_EQ(tail.end, NextResult::kEnd);
}

TEST(DefinitionReader, FileDefinitionGrammar) {
  Read r = Parse("HEDR ENDHEDR ; ITMR FIOR VK ; RFOR FB ; SNM1 b.rdf ; ENDITMR ; "
                 "TRAR ENDTRAR ;",
                 Grammar::kFileDefinition);
  ASSERT_EQ(r.end, NextResult::kEnd);
  ASSERT_EQ(r.records.size(), 3u);
  EXPECT_EQ(r.records[1].bytes.size(), kFileItemRecordSize);
  EXPECT_EQ(Field(r, 1, field::kFior), "VK");
  EXPECT_EQ(Field(r, 1, field::Snm(0)), "");
  EXPECT_EQ(Field(r, 1, field::Snm(1)), "b.rdf");
  // Only one item record; record-definition keywords are plain words here.
  Read other = Parse("HEDR ENDHEDR ; ITMR LNUM 5 ; FIOR S ; ENDITMR ; TRAR ENDTRAR ;",
                     Grammar::kFileDefinition);
  EXPECT_EQ(other.end, NextResult::kEnd);
  EXPECT_EQ(Field(other, 1, field::kFior), "S");
}

TEST(DefinitionReader, StrictModeRefusesWhatRecoveryWouldMend) {
  std::string full = "HEDR FMVR a ; PPNM a ; PPTP a ; PPVR a ; CONM a ; COVR a ; ERFG 0 ; "
                     "ENDHEDR ; BODR RNUM 0 ; ENDBODR ; TRAR FMVR a ; PPNM a ; PPTP a ; "
                     "PPVR a ; CONM a ; COVR a ; ERFG 0 ; ENDTRAR ;";
  EXPECT_EQ(Parse(full, Grammar::kRecordDefinition, true).end, NextResult::kEnd);
  EXPECT_EQ(Parse("HEDR ERFG 0 ; ENDHEDR ;", Grammar::kRecordDefinition, true).end,
            NextResult::kSyntaxError);
  EXPECT_EQ(Parse(full + " x", Grammar::kRecordDefinition, true).end, NextResult::kSyntaxError);
}

TEST(DefinitionReader, NextNeedsRoomForTheLargestRecord) {
  auto reader = DefinitionReader::FromBytes(std::string(kHead) + kTail,
                                            Grammar::kRecordDefinition);
  char small[100];
  RecordKind kind;
  EXPECT_EQ(reader->Next(small, &kind), NextResult::kInternal);
  char buffer[kItemRecordSize];
  EXPECT_EQ(reader->Next(buffer, &kind), NextResult::kRecord);
  EXPECT_EQ(kind, RecordKind::kHeader);
}

}  // namespace
}  // namespace qel::recacc
