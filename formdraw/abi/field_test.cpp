// The field-data exports through the C interface, on a display session (mode 2, no
// printer) over a hand-built form with one data field and one list field.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "formdraw/abi/trace_session.h"
#include "formdraw/fmdraw32.h"

namespace fs = std::filesystem;

namespace {

void Put16(std::string& s, std::size_t at, int v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Append16(std::string& s, int v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// 92-byte data or list field record: number, x, y, width, height, list columns and rows,
// name at byte 68.
std::string FieldRecord(int number, int x, int y, int w, int h, const std::string& name,
                        int columns = 0, int rows = 0) {
  std::string r(92, '\0');
  Put16(r, 2, number);
  Put16(r, 4, x);
  Put16(r, 6, y);
  Put16(r, 8, w);
  Put16(r, 10, h);
  Put16(r, 12, columns);
  Put16(r, 14, rows);
  r.replace(68, name.size(), name);
  return r;
}

// Version-4 form: one data field "Sum" at 1440, 0, 1440 x 720 twips and one list field
// "Table" of 2 columns and 3 rows.
std::string FieldForm() {
  std::string s = "#Formvista Ver4.00\r\n9,0\r\n\r\n\r\n\r\n99\r\n";
  std::array<int, 12> counts{};
  counts[6] = 1;
  counts[9] = 1;
  int sum = 0;
  for (int c : counts) { Append16(s, c); sum += c; }
  Append16(s, 0);
  for (int r : {3, 5, 7, 11, 13, 17}) { Append16(s, r); sum += r; }
  Append16(s, sum % 54);
  s += FieldRecord(41, 1440, 0, 1440, 720, "Sum");
  s += FieldRecord(42, 0, 1000, 2000, 900, "Table", 2, 3);
  return s;
}

class FieldExports : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("fmfieldabi_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root_);
    form_ = (root_ / "fields.fed").string();
    std::ofstream(form_, std::ios::binary) << FieldForm();
  }
  void TearDown() override { fs::remove_all(root_); }
  int Open() { return FmInit(0, 0, 2, 100, 0, 0, 0, 0, 10000, 5000, form_.c_str(), "", session_.data()); }

  fs::path root_;
  std::string form_;
  std::array<int32_t, 4> session_{};
};

TEST_F(FieldExports, EveryCallNeedsASession) {
  int32_t* s = session_.data();
  int32_t rect[4];
  int32_t l, t, r, b;
  EXPECT_EQ(FmSetLong(2, 32, s), -1);
  EXPECT_EQ(FmSetString(6, "*", s), -1);
  EXPECT_EQ(FmGetFieldInfo(1, "Sum", rect, s), -1);
  EXPECT_EQ(FmGetFieldPtr(1, "Sum", &l, &t, &r, &b, s), -1);
  EXPECT_EQ(FmAllocListBuffer("Table", s), -1);
  EXPECT_EQ(FmSetListData(1, 1, 1, "x", s), -1);
  EXPECT_EQ(FmPrintListBuffer(s), -1);
  EXPECT_EQ(FmSetLong(2, 32, nullptr), -1);
}

TEST_F(FieldExports, FieldGeometryInAnOpenSession) {
  ASSERT_EQ(Open(), 0);
  int32_t rect[4] = {};
  EXPECT_EQ(FmGetFieldInfo(1, "Sum", rect, session_.data()), 0);
  EXPECT_EQ((std::array<int32_t, 4>{rect[0], rect[1], rect[2], rect[3]}),
            (std::array<int32_t, 4>{2540, 0, 5080, 1270}));
  int32_t l = 0, t = 0, r = 0, b = 0;
  EXPECT_EQ(FmGetFieldPtr(3, "Table", &l, &t, &r, &b, session_.data()), 0);
  EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{0, 1764, 3528, 3351}));
  EXPECT_EQ(FmGetFieldInfo(5, "Sum", rect, session_.data()), -2);
  EXPECT_EQ(FmGetFieldInfo(2, "Sum", rect, session_.data()), -3) << "no barcode fields";
  EXPECT_EQ(FmGetFieldInfo(1, "SUM", rect, session_.data()), -3);
  EXPECT_EQ(FmSetLong(99, 7, session_.data()), -3);
  EXPECT_EQ(FmGetFieldInfo(1, "Sum", rect, session_.data()), 0) << "the current form stays";
  EXPECT_EQ(FmTerm(session_.data()), 0);
}

TEST_F(FieldExports, ListBufferCycle) {
  ASSERT_EQ(Open(), 0);
  int32_t* s = session_.data();
  EXPECT_EQ(FmSetLong(2, 30, s), -3);
  EXPECT_EQ(FmSetListData(1, 1, 1, "x", s), -2);
  EXPECT_EQ(FmPrintListBuffer(s), -2);
  ASSERT_EQ(FmAllocListBuffer("Table", s), 0);
  EXPECT_EQ(FmSetLong(2, 32, s), -4);
  EXPECT_EQ(FmSetListData(0, 1, 1, "x", s), -3);
  EXPECT_EQ(FmSetListData(2, 4, 1, "x", s), -3);
  EXPECT_EQ(FmSetListData(2, 3, 2, "12", s), 0);
  (void)FmPrintListBuffer(s);
  EXPECT_EQ(FmSetLong(2, 32, s), 0) << "printing frees the buffer";
  EXPECT_EQ(FmSetListData(1, 1, 1, "x", s), -2);
  ASSERT_EQ(FmAllocListBuffer("Table", s), 0);
  EXPECT_EQ(FmTerm(s), 0) << "closing frees a buffer that was never printed";
}

TEST_F(FieldExports, LookupsWithoutSession) {
  EXPECT_EQ(FmGetFieldNo(form_.c_str(), "Sum", 1), 41);
  EXPECT_EQ(FmGetFieldNo(form_.c_str(), "Table", 3), -2);
  EXPECT_EQ(FmGetListFieldRow(form_.c_str(), "Table"), 3);
  EXPECT_EQ(FmGetListFieldRow((root_ / "none.fed").c_str(), "Table"), -1);
}

}  // namespace

namespace fmtest {
namespace {

// The buffer's cells reach the list-field printer: three columns in 100 twips at 600 dpi
// start 0, 13 and 27 dots in; an empty cell prints nothing.
TEST_F(TraceSession, ListBufferPrintsItsCells) {
  FormBuilder form;
  form.Add(9, Rec(92).I16(0, 1).W(4, 100).W(5, 200).W(6, 3).W(7, 1).B(25, 10).B(32, 1).S(36, "X")
                  .S(68, "LIST"), false);
  Open(form, 600);
  ASSERT_EQ(FmAllocListBuffer("LIST", S()), 0);
  ASSERT_EQ(FmSetListData(1, 1, 1, "1", S()), 0);
  ASSERT_EQ(FmSetListData(3, 1, 1, "3x", S()), 0);
  EXPECT_EQ(FmPrintListBuffer(S()), 0);
  EXPECT_EQ(FmPrintListBuffer(S()), -2) << "printed buffers are freed";
  EXPECT_EQ(Only(Close(), "TextRun"), (std::vector<std::string>{"TextRun 1 0,0 \"1\"", "TextRun 1 27,0 \"3\""}));
}

}  // namespace
}  // namespace fmtest
