// Form files built byte by byte from the format tables (not with the library's writer),
// read back through the readers and the form store.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "formdraw/form/binary_part.h"
#include "formdraw/form/file_search.h"
#include "formdraw/form/form_data.h"
#include "formdraw/form/form_info.h"
#include "formdraw/form/form_store.h"
#include "formdraw/form/form_writer.h"
#include "formdraw/form/text_part.h"

namespace fmdraw::form {
namespace {

void Put16(std::string& s, int v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// A form file: text lines, then a header whose check value is computed here from the
// table (sum of 19 signed words, truncating remainder by 54), then zero-filled records.
struct HandForm {
  std::vector<std::string> records = {"400,IPAMincho,0,49,128"};
  std::array<int, 12> counts{};
  std::array<int, 6> random = {1, 2, 3, 4, 5, 6};
  std::string signature = "#Formvista Ver4.00";
  std::string line2 = "9,1";
  bool badCheck = false;

  std::string Bytes() const {
    std::string s = signature + "\r\n" + line2 + "\r\n\r\n\r\n\r\n";
    for (const auto& r : records) s += r + "\r\n";
    s += "99\r\n";
    std::string header;
    int sum = 0;
    for (int c : counts) { Put16(header, c); sum += static_cast<int16_t>(c); }
    Put16(header, 0);
    for (int r : random) { Put16(header, r); sum += static_cast<int16_t>(r); }
    Put16(header, sum % 54 + (badCheck ? 1 : 0));
    s += header;
    for (int k = 0; k < 12; ++k)
      s += std::string(static_cast<std::size_t>(std::max(0, counts[k])) * kRecordSize[k], 0);
    return s;
  }
  std::vector<uint8_t> Vec() const {
    std::string b = Bytes();
    return {b.begin(), b.end()};
  }
};

TEST(FormHeader, CheckValueOfNegativeSumIsNegative) {
  HandForm f;
  f.counts[1] = -5;  // a negative word makes the sum negative
  f.random = {0, 0, 0, 0, 0, 0};
  auto bytes = f.Vec();
  auto scan = ScanForm(bytes, 0);
  EXPECT_EQ(scan.error, 0);  // -5 % 54 == -5 is what the file holds
  std::size_t at = scan.recordsOffset - kHeaderSize;
  EXPECT_EQ(GetI16(&bytes[at + 38]), -5);
  EXPECT_EQ(ScanForm(bytes, 1).error, 0) << "-5 % 53 is also -5";
  f.counts[1] = -60;  // -60 % 54 = -6, -60 % 53 = -7
  bytes = f.Vec();
  EXPECT_EQ(ScanForm(bytes, 0).error, 0);
  EXPECT_EQ(ScanForm(bytes, 1).error, kErrCheck);
}

TEST(FormHeader, CheckVariantsAndCorruption) {
  HandForm f;
  f.counts[1] = 3;
  f.random = {100, 200, 300, 400, 500, 600};  // sum 2103: 2103 % 54 = 51, % 53 = 36
  auto bytes = f.Vec();
  EXPECT_EQ(ScanForm(bytes, 0).error, 0);
  EXPECT_EQ(ScanForm(bytes, 1).error, kErrCheck);
  f.badCheck = true;
  EXPECT_EQ(ScanForm(f.Vec(), 0).error, kErrCheck);
}

TEST(FormText, ReaderFaults) {
  struct Row {
    int index;
    std::vector<std::string> records;
    bool drop99;
    int expected;
  };
  const Row rows[] = {
      {0, {"400,ＭＳ 明朝,0,49,128"}, false, 0},
      {1, {"400," + std::string(33, 'a') + ",0,49,128"}, false, kErrFile},  // face of 33 bytes
      {2, {"400," + std::string(32, 'a') + ",0,49,128"}, false, 0},
      {3, {"400,face,0,49"}, false, kErrFile},       // missing integer
      {4, {"250,x"}, false, kErrFile},               // code below 300
      {5, {",x"}, false, kErrFile},                  // empty code
      {6, {"400,face,0,49,128", ""}, false, kErrFile},  // empty line before 99
      {7, {"400,face,0,49,128"}, true, kErrFile},    // no 99
      {8, {"350,skipped", "\"400\",\"a,b\",1,2,3"}, false, 0},
  };
  for (const auto& row : rows) {
    HandForm f;
    f.records = row.records;
    std::string bytes = f.Bytes();
    if (row.drop99) bytes = bytes.substr(0, bytes.find("99\r\n"));
    auto result = ParseTextPart({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    EXPECT_EQ(result.error, row.expected) << "row " << row.index;
  }
}

TEST(FormText, LongLinesAreCutAt511Bytes) {
  std::string line(511, 'x');
  std::string text = line + "\r\n" + std::string(600, 'y') + "\r\n\x1A" + "after";
  LineReader r({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  EXPECT_EQ(r.Next()->size(), 511u);
  EXPECT_EQ(r.Next()->size(), 511u);
  EXPECT_EQ(r.Next()->size(), 89u);
  EXPECT_FALSE(r.Next().has_value()) << "0x1A ends the file";
}

TEST(FormText, LineEndsLeadingNumbersAndFirstFormStrings) {
  // Lines end at CR, with or without its LF; a lone LF belongs to the line.
  std::string text = "a\rb\r\nc\nd\r";
  LineReader r({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  EXPECT_EQ(r.Next(), "a");
  EXPECT_EQ(r.Next(), "b");
  EXPECT_EQ(r.Next(), "c\nd");
  EXPECT_FALSE(r.Next().has_value());

  const std::pair<const char*, int32_t> numbers[] = {
      {" -12x", -12}, {"\t+7", 7}, {"42", 42}, {"x1", 0}, {"--1", 0},
      {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}};
  for (const auto& [in, value] : numbers) EXPECT_EQ(ParseLeadingInt(in), value) << in;

  // The first line of each form string counts; other codes below 400 are kept as lines.
  HandForm f;
  f.records = {"301,first", "301,again", "350,skipped", "302,two", "400,face,0,1,128"};
  std::string bytes = f.Bytes();
  auto read = ParseTextPart({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  ASSERT_EQ(read.error, 0);
  EXPECT_EQ(read.part.formStrings[0], "first");
  EXPECT_EQ(read.part.formStrings[1], "two");
  EXPECT_FALSE(read.part.formStrings[2].has_value());
}

// A text part made in code (no record lines read) is written from its parts and reads
// back the same; values holding a comma are quoted.
TEST(FormText, BuiltTextPartReadsBack) {
  TextPart text;
  text.head = {"#Formvista Ver4.00", "9,1", "", "", ""};
  text.hanging = "、。,";
  text.formStrings[1] = "a,b";
  text.fonts = {{0, "IPAMincho", 0, 49, 128}, {3, "x,y", 1, 17, 0}};
  const std::string written = BuildTextPart(text);
  auto read = ParseTextPart({reinterpret_cast<const uint8_t*>(written.data()), written.size()});
  ASSERT_EQ(read.error, 0) << read.reason;
  EXPECT_EQ(read.part.head, text.head);
  EXPECT_EQ(read.part.hanging, text.hanging);
  EXPECT_FALSE(read.part.formStrings[0].has_value());
  EXPECT_EQ(read.part.formStrings[1], "a,b");
  ASSERT_EQ(read.part.fonts.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const FontLine &want = text.fonts[i], &got = read.part.fonts[i];
    EXPECT_EQ(std::tie(got.id, got.face, got.first, got.pitchFamily, got.charset),
              std::tie(want.id, want.face, want.first, want.pitchFamily, want.charset)) << i;
  }
  EXPECT_EQ(read.part.binaryOffset, written.size());
}

TEST(FormInfo, VersionPaperOrientationStrings) {
  HandForm f;
  f.records = {"301,a\x05" "b\x06\x07" "c", "302,second", "400,face,0,1,128", "303,never"};
  auto bytes = f.Vec();
  EXPECT_EQ(FormVersion(bytes), 4);
  EXPECT_EQ(FormPaperSize(bytes), 9);
  EXPECT_EQ(FormOrientation(bytes), 1);
  EXPECT_EQ(FormString(bytes, 4), "a,b\r\nc");
  EXPECT_EQ(FormString(bytes, 5), "second");
  EXPECT_EQ(FormString(bytes, 6), "") << "the search stops at the first font line";
  // Written back, commas and line ends (a last one too) take their stored form again.
  EXPECT_EQ(EncodeFormString("a,b\r\nc\r\n"), "a\x05" "b\x06\x07" "c\x06\x07");
  for (const char* text : {"", ",", "\r\n", "lone\r", "x\r\n\r\n,y"})
    EXPECT_EQ(DecodeFormString(EncodeFormString(text)), text);
  EXPECT_EQ(SignatureVersion("#formeditor"), 1);
  EXPECT_EQ(SignatureVersion("#Formvista Ver2"), 2);
  EXPECT_EQ(SignatureVersion("#Formvista Ver5"), -3);
  EXPECT_EQ(SignatureVersion("#Formvisto Ver4"), -2);
}

TEST(FormData, LoadRewritesFontsAndClearsImageCopies) {
  HandForm f;
  f.records = {"407,A,0,1,128", "403,B,1,2,128"};
  f.counts[kText] = 2;
  f.counts[kImage] = 1;
  std::string bytes = f.Bytes();
  std::size_t records = bytes.size() - 2 * 64 - 154;
  PutI16(reinterpret_cast<uint8_t*>(&bytes[records + 10]), 3);       // text 0 -> id 3
  PutI16(reinterpret_cast<uint8_t*>(&bytes[records + 64 + 10]), 9);  // text 1 -> unknown
  PutI16(reinterpret_cast<uint8_t*>(&bytes[records + 128 + 22]), 7);  // image copy number
  FormData form;
  ASSERT_EQ(LoadForm({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, form), 0);
  EXPECT_EQ(GetI16(form.Record(kText, 0) + 10), 1);
  EXPECT_EQ(GetI16(form.Record(kText, 1) + 10), -1);
  EXPECT_EQ(GetI16(form.Record(kImage, 0) + 22), 0);
  uint8_t entry[38];
  WriteFontEntry38(form.text.fonts[1], entry);
  EXPECT_EQ(GetI16(entry), 1);
  EXPECT_EQ(GetI16(entry + 2), 1);
  EXPECT_EQ(entry[36], 2);
}

TEST(FormData, SizeLimitsAndShortFiles) {
  HandForm f;
  f.counts[kImage] = 712;  // 712 x 154 bytes > 65,535
  FormData form;
  EXPECT_EQ(LoadForm(f.Vec(), form), kErrCheck);
  f.counts[kImage] = 425;  // 65,450 bytes: allowed
  EXPECT_EQ(LoadForm(f.Vec(), form), 0);
  auto bytes = f.Vec();
  bytes.pop_back();
  EXPECT_EQ(LoadForm(bytes, form), kErrFile) << "truncated record array";
  HandForm g;
  auto header = g.Vec();
  header.resize(header.size() - 10);
  EXPECT_EQ(ScanForm(header, 0).error, kErrShortHeader);
}

TEST(FormData, TruncationAtEveryOffsetGivesTheCodeOfThePart) {
  HandForm f;
  f.counts[kOrder] = 1;
  f.counts[kLine] = 2;
  auto full = f.Vec();
  std::size_t header = std::string(full.begin(), full.end()).find("99\r\n") + 4;
  for (std::size_t n = 0; n < full.size(); ++n) {
    std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
    FormData form;
    // Cut right after "99" (before or after its CR) the line is complete, the header short.
    int expected = n + 2 < header ? kErrFile : n < header + kHeaderSize ? kErrShortHeader : kErrFile;
    ASSERT_EQ(LoadForm(cut, form), expected) << "cut at " << n;
  }
  FormData form;
  EXPECT_EQ(LoadForm(full, form), 0);
}

TEST(FormData, FlippedHeaderBytesFailTheCheck) {
  HandForm f;
  f.counts[kLine] = 1;
  auto full = f.Vec();
  std::size_t header = full.size() - 26 - kHeaderSize;
  for (std::size_t off = 0; off < kHeaderSize; ++off) {
    auto bad = full;
    bad[header + off] ^= 0x01;
    EXPECT_EQ(ScanForm(bad, 0).error, kErrCheck) << "offset " << off;
  }
}

TEST(FormWriter, WriterOutputReadsBackEqual) {
  HandForm f;
  f.records = {"300,\x81\x42\x81\x41", "301,x\x05y", "400,ＭＳ 明朝,1,49,128"};
  f.counts[kLine] = 2;
  FormData form;
  ASSERT_EQ(LoadForm(f.Vec(), form, {.rewriteFonts = false}), 0);
  auto again = BuildFormFile(form, form.headerRandom);
  EXPECT_EQ(again, f.Vec());
}

class FormStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("fmstore_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    for (int i = 0; i < 22; ++i) {
      std::ofstream(Name(i), std::ios::binary) << HandForm{}.Bytes();
    }
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Name(int i) const { return (dir_ / ("f" + std::to_string(i) + ".fed")).string(); }
  std::filesystem::path dir_;
};

TEST_F(FormStoreTest, SecondNumberForSameFileIsAnAlias) {
  FormStore store;
  int loads = 0;
  store.SetLoader([&](const std::string& n, FormData& d) { ++loads; return LoadFormFile(n, d); });
  ASSERT_EQ(store.SetForm(0, 100, 0, 0, Name(0)), 0);
  ASSERT_EQ(store.SetForm(5, 50, 10, 20, Name(0)), 0);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(store.Number(5).aliasOf, 0);
  ASSERT_EQ(store.MakeCurrent(5), 0);
  EXPECT_EQ(store.CurrentSlot(), 0);
  EXPECT_EQ(store.CurrentSettings().magnification, 50);
  EXPECT_EQ(store.MakeCurrent(7), -3) << "never registered";
  EXPECT_EQ(store.CurrentNumber(), 5);
  EXPECT_EQ(store.SetForm(400, 100, 0, 0, Name(1)), -1);
}

TEST_F(FormStoreTest, AliasSearchEndsAtAnAliasAndTheCurrentSlotFollowsTheNumber) {
  FormStore store;
  int loads = 0;
  store.SetLoader([&](const std::string& n, FormData& d) { ++loads; return LoadFormFile(n, d); });
  ASSERT_EQ(store.SetForm(0, 100, 0, 0, Name(0)), 0);
  ASSERT_EQ(store.SetForm(1, 100, 0, 0, Name(0)), 0);  // alias of 0
  ASSERT_EQ(store.SetForm(2, 100, 0, 0, Name(1)), 0);
  ASSERT_EQ(store.SetForm(3, 100, 0, 0, Name(1)), 0);
  EXPECT_EQ(loads, 3) << "the search ends at alias 1 and never reaches number 2";
  EXPECT_EQ(store.Number(3).aliasOf, -1);
  ASSERT_EQ(store.SetForm(4, 100, 0, 0, Name(0)), 0);
  EXPECT_EQ(store.Number(4).aliasOf, 0) << "number 0 comes before the alias";

  ASSERT_EQ(store.SetForm(5, 100, 0, 0, Name(2)), 0);
  ASSERT_EQ(store.MakeCurrent(5), 0);
  ASSERT_EQ(store.SetForm(5, 100, 0, 0, Name(0)), 0);  // the current number becomes an alias
  EXPECT_EQ(store.CurrentSlot(), store.Number(0).slot);
  EXPECT_EQ(store.CurrentNumber(), 5);
  EXPECT_EQ(store.LoadedCount(), 3);
}

TEST_F(FormStoreTest, MagnificationZeroKeepsTheScaleOrGivesOneHundred) {
  FormStore store;
  struct Row {
    int formNo;
    int magnification;
    int file;
    int expectedMagnification;
    int expectedX;
  };
  const Row rows[] = {
      {0, 80, 0, 80, 7},   // stored with its offsets
      {1, 0, 1, 100, 0},   // a new number without a magnification
      {2, 0, 0, 100, 0},   // the same for a new alias
      {3, 50, 0, 50, 7},   // an alias with its own
      {3, 0, 0, 50, 7},    // registered again with 0: kept
      {0, 0, 2, 80, 7},    // an owner given a new file with 0: kept
      {4, -20, 1, 100, 0},  // below 0 counts as none
  };
  for (const auto& r : rows) {
    ASSERT_EQ(store.SetForm(r.formNo, r.magnification, 7, 7, Name(r.file)), 0) << r.formNo;
    EXPECT_EQ(store.Number(r.formNo).magnification, r.expectedMagnification) << r.formNo;
    EXPECT_EQ(store.Number(r.formNo).xOffset, r.expectedX) << r.formNo;
  }
}

TEST_F(FormStoreTest, TwentySlotsThenRoundRobin) {
  FormStore store;
  for (int i = 0; i < 20; ++i) ASSERT_EQ(store.SetForm(i, 100, 0, 0, Name(i)), 0);
  EXPECT_EQ(store.LoadedCount(), 20);
  ASSERT_EQ(store.SetForm(20, 100, 0, 0, Name(20)), 0);
  EXPECT_EQ(store.Number(20).slot, -1) << "loaded on demand";
  ASSERT_EQ(store.MakeCurrent(20), 0);
  EXPECT_EQ(store.CurrentSlot(), 0);
  EXPECT_EQ(store.Number(0).slot, -1);
  ASSERT_EQ(store.MakeCurrent(0), 0);
  EXPECT_EQ(store.CurrentSlot(), 1);
  EXPECT_EQ(store.Number(1).slot, -1);
  ASSERT_EQ(store.MakeCurrent(3), 0);
  EXPECT_EQ(store.CurrentSlot(), 3) << "still loaded";
}

TEST_F(FormStoreTest, ChangeFileReloadsCurrentSlot) {
  FormStore store;
  ASSERT_EQ(store.SetForm(0, 80, 1, 2, Name(0)), 0);
  ASSERT_EQ(store.ChangeCurrentFile(Name(1)), 0);
  EXPECT_EQ(store.Number(0).fileName, Name(1));
  EXPECT_EQ(store.CurrentSettings().magnification, 80);
  EXPECT_EQ(store.LoadedCount(), 1);
  EXPECT_NE(store.ChangeCurrentFile(Name(99)), 0);
}

TEST_F(FormStoreTest, BareNameSearchUsesPathVariable) {
  ::setenv("FMDRAW_PATH", ("/nonexistent:" + dir_.string()).c_str(), 1);
  EXPECT_EQ(LocateFile("\\\\host\\gone\\f3.fed"), Name(3));
  EXPECT_EQ(LocateFile("/gone/F3.FED"), Name(3)) << "letter case ignored";
  EXPECT_FALSE(LocateFile("/gone/none.fed").has_value());
  // A Japanese bare name in CP932 finds the file that carries it in UTF-8.
  std::ofstream(dir_ / "\xE5\xB8\xB3\xE7\xA5\xA8.fed") << "x";  // 帳票.fed
  EXPECT_EQ(LocateFile("\\\\host\\gone\\\x92\xa0\x95\x5b.fed"), (dir_ / "\xE5\xB8\xB3\xE7\xA5\xA8.fed").string());
  ::unsetenv("FMDRAW_PATH");
  // A trail byte 0x5C of a double-byte character is not a separator.
  EXPECT_EQ(BareName("dir\\\x95\x5C" "a.fed"), std::string("\x95\x5C" "a.fed"));
}

TEST(DiskNames, Utf8FormFirstThenTheBytes) {
  EXPECT_EQ(DiskNames("/srv/a.fed"), (std::vector<std::string>{"/srv/a.fed"}));
  // 帳票 in CP932, then in UTF-8.
  EXPECT_EQ(DiskNames("/srv/\x92\xa0\x95\x5b"),
            (std::vector<std::string>{"/srv/\xE5\xB8\xB3\xE7\xA5\xA8", "/srv/\x92\xa0\x95\x5b"}));
  // Bytes that are not CP932 (a lone lead byte at the end) have no UTF-8 form.
  EXPECT_EQ(DiskNames("a\x92"), (std::vector<std::string>{"a\x92"}));
}

}  // namespace
}  // namespace fmdraw::form
