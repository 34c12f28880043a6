// Settings by code, field look-ups, the list buffer and the session-free probes, on a
// work area whose forms are written by the form writer (no device needed).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "formdraw/fields/field_lookup.h"
#include "formdraw/fields/form_probe.h"
#include "formdraw/fields/list_buffer.h"
#include "formdraw/fields/profile_directory.h"
#include "formdraw/fields/settings.h"
#include "formdraw/fields/test_forms.h"
#include "platform/profile.h"

namespace fmdraw::fields {
namespace {

using testing::TestForms;

class FieldsTest : public ::testing::Test {
 protected:
  FieldsTest() : forms_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {
    forms_.AddSizedField(form::kDataField, "Total", 7, 1440, 0, 1440, 720);
    forms_.AddSizedField(form::kListField, "Rows", 8, 0, 1000, 3000, 2400, 3, 24);
    forms_.AddBarcodeField("Code", 9, 2000, 300, 100, 900);
    forms_.AddImageField("Logo", 10, 50, 60, 70, 80);
    path_ = forms_.Write("main.fed");
    EXPECT_EQ(area_.forms.SetForm(0, 100, 0, 0, path_), 0);
  }
  TestForms forms_;
  std::string path_;
  session::WorkArea area_;
};

TEST_F(FieldsTest, SetLongRanges) {
  struct Row {
    int index, code, value, expected;
  };
  const Row rows[] = {
      {0, 1, 0, 0},     {1, 1, 2, -3},   {2, 2, 30, -3},    {3, 2, 0, -3},     {4, 2, 260, -3},
      {5, 2, 256, 0},   {6, 2, 4, 0},    {7, 3, -1, -3},    {8, 4, 0, 0},      {9, 5, 1, 0},
      {10, 7, 0, -3},   {11, 7, 1000, 0}, {12, 7, 1001, -3}, {13, 12, 0, -3},   {14, 12, 4, -3},
      {15, 12, 3, 0},   {16, 0, 0, -2},  {17, 6, 0, -2},    {18, 13, 0, -2},   {19, 100, 0, -2},
      {20, 96, 0, -2},  {21, 99, 400, -3}, {22, 99, -1, -3}, {23, 99, 0, 0},   {24, 97, 77, 0},
  };
  for (const auto& r : rows) EXPECT_EQ(SetLong(area_, r.code, r.value), r.expected) << "row " << r.index;
  EXPECT_EQ(area_.drawing.itemLength, 4) << "the last accepted item length";
  EXPECT_EQ(area_.forms.CurrentSettings().magnification, 1000);
  EXPECT_EQ(area_.window, 77);
  EXPECT_EQ(area_.colorMode, 0) << "mode 3 is monochrome";
}

TEST_F(FieldsTest, OffsetsAreSixteenBitAndColoursRemakeObjects) {
  EXPECT_EQ(SetLong(area_, kXOffset, 70000), 0);
  EXPECT_EQ(area_.forms.CurrentSettings().xOffset, 70000 - 65536);
  area_.drawing.lineApplied = area_.drawing.patternApplied = area_.drawing.fontApplied = true;
  EXPECT_EQ(SetLong(area_, kBackgroundColor, 0x00FF00), 0);
  EXPECT_FALSE(area_.drawing.lineApplied);
  EXPECT_FALSE(area_.drawing.patternApplied);
  EXPECT_TRUE(area_.drawing.fontApplied) << "the background colour does not touch fonts";
  EXPECT_EQ(SetLong(area_, kTextColor, 0x0000FF), 0);
  EXPECT_FALSE(area_.drawing.fontApplied);
  EXPECT_EQ(area_.drawing.textColor, 0x0000FFu);
}

TEST_F(FieldsTest, CurrentFormNumber) {
  EXPECT_EQ(SetLong(area_, kCurrentForm, 5), -3) << "never registered";
  EXPECT_EQ(area_.forms.CurrentNumber(), 0);
  // Number 1 shares form 0's file: an alias, made current without a new slot.
  ASSERT_EQ(area_.forms.SetForm(1, 50, 0, 0, path_), 0);
  EXPECT_EQ(SetLong(area_, kCurrentForm, 1), 0);
  EXPECT_EQ(area_.forms.CurrentSlot(), 0);
  EXPECT_EQ(area_.forms.LoadedCount(), 1);
  EXPECT_EQ(SetLong(area_, kMagnification, 200), 0);
  EXPECT_EQ(area_.forms.Number(1).magnification, 200) << "settings belong to the current number";
  EXPECT_EQ(area_.forms.Number(0).magnification, 100);
}

TEST_F(FieldsTest, CurrentFormRoundRobinOverTwentySlots) {
  // Numbers 2..21 get their own files: slots 1..19 fill, number 21 stays unloaded.
  for (int n = 2; n <= 21; ++n) {
    std::string p = forms_.Write("f" + std::to_string(n) + ".fed");
    EXPECT_EQ(area_.forms.SetForm(n, 100, 0, 0, p), 0) << n;
  }
  EXPECT_EQ(area_.forms.LoadedCount(), 20);
  EXPECT_EQ(area_.forms.Number(21).slot, -1);
  EXPECT_EQ(SetLong(area_, kCurrentForm, 21), 0);
  EXPECT_EQ(area_.forms.CurrentSlot(), 0) << "reuse starts at slot 0";
  EXPECT_EQ(area_.forms.Number(0).slot, -1);
  EXPECT_EQ(SetLong(area_, kCurrentForm, 0), 0);
  EXPECT_EQ(area_.forms.CurrentSlot(), 1) << "then slot 1";
  EXPECT_EQ(area_.forms.Number(2).slot, -1);
  EXPECT_EQ(SetLong(area_, kCurrentForm, 21), 0);
  EXPECT_EQ(area_.forms.CurrentSlot(), 0) << "a loaded form is not loaded again";
  std::filesystem::remove(forms_.Dir() / "f2.fed");
  EXPECT_EQ(SetLong(area_, kCurrentForm, 3), 0);
  EXPECT_EQ(area_.forms.CurrentSlot(), 2);
  // Number 2 would now be loaded into slot 2, which holds the current form.
  EXPECT_EQ(SetLong(area_, kCurrentForm, 2), -3) << "its file is gone";
  EXPECT_EQ(area_.forms.CurrentNumber(), 3);
  ASSERT_NE(area_.forms.CurrentForm(), nullptr) << "a failed load keeps the current form";
  EXPECT_NE(FindField(*area_.forms.CurrentForm(), form::kDataField, "Total"), nullptr);
}

TEST_F(FieldsTest, SetString) {
  EXPECT_EQ(SetString(area_, kPadCharacter, "*#"), 0);
  EXPECT_EQ(area_.drawing.padCharacter, '*');
  EXPECT_EQ(SetString(area_, kPadCharacter, ""), 0);
  EXPECT_FALSE(area_.drawing.padCharacter);
  const std::string dir = forms_.Dir().string();
  EXPECT_EQ(SetString(area_, kImageDirectory, dir.c_str()), 0);
  EXPECT_EQ(area_.imageDirectory, dir);
  EXPECT_EQ(SetString(area_, kTempDirectory, path_.c_str()), -3) << "a file, not a directory";
  EXPECT_EQ(SetString(area_, kTempDirectory, (dir + "/none").c_str()), -3);
  EXPECT_EQ(SetString(area_, kTempDirectory, nullptr), -3);
  EXPECT_TRUE(area_.tempDirectory.empty());
  // Directories of up to 128 bytes are taken; one byte more is refused, though it exists.
  const std::string longest = dir + "/" + std::string(128 - dir.size() - 1, 'a');
  ASSERT_EQ(longest.size(), 128u);
  std::filesystem::create_directories(longest);
  std::filesystem::create_directories(longest + "b");
  EXPECT_EQ(SetString(area_, kTempDirectory, (longest + "b").c_str()), -3);
  EXPECT_TRUE(area_.tempDirectory.empty());
  EXPECT_EQ(SetString(area_, kTempDirectory, longest.c_str()), 0);
  EXPECT_EQ(area_.tempDirectory, longest);
  EXPECT_EQ(SetString(area_, 7, "x"), -2);
}

TEST_F(FieldsTest, FieldRectangles) {
  const form::FormData& form = *area_.forms.CurrentForm();
  struct Row {
    int lookupKind;
    const char* name;
    FieldRect expected;
  };
  const Row rows[] = {
      {1, "Total", {2540, 0, 5080, 1270}},  // x + width, y + height
      {3, "Rows", {0, 1764, 5292, 5997}},
      {2, "Code", {3528, 529, 176, 1587}},  // corners as stored, not ordered
      {4, "Logo", {88, 105, 123, 141}},
  };
  for (const auto& r : rows) {
    const int kind = *RecordKindOf(r.lookupKind);
    const uint8_t* record = FindField(form, kind, r.name);
    ASSERT_NE(record, nullptr) << r.name;
    EXPECT_EQ(FieldRectangle(kind, record), r.expected) << r.name;
  }
  EXPECT_EQ(FindField(form, form::kDataField, "total"), nullptr) << "letter case counts";
  EXPECT_EQ(FindField(form, form::kDataField, "Rows"), nullptr) << "another kind";
  EXPECT_EQ(FindField(form, form::kDataField, "Tot"), nullptr);
  EXPECT_FALSE(RecordKindOf(0));
  EXPECT_FALSE(RecordKindOf(5));
}

TEST_F(FieldsTest, ListBufferAllocation) {
  area_.drawing.itemLength = 16;
  EXPECT_EQ(AllocListBuffer(area_, "Rows"), 0);
  ASSERT_TRUE(area_.listBuffer);
  EXPECT_EQ(area_.listBuffer->cells.size(), (16u + 8) * 3 * 24);
  EXPECT_EQ(SetLong(area_, kItemLength, 32), -4) << "cells are laid out already";
  EXPECT_EQ(AllocListBuffer(area_, "Missing"), -3);
  EXPECT_EQ(AllocListBuffer(area_, std::string(21, 'R')), -3);
  EXPECT_EQ(AllocListBuffer(area_, ""), -3);
  EXPECT_TRUE(area_.listBuffer) << "a failed look-up keeps the buffer";
  EXPECT_EQ(AllocListBuffer(area_, "Total"), -3) << "a data field is no list field";
}

TEST_F(FieldsTest, HugeListFieldLeavesNoBuffer) {
  TestForms big("huge");
  big.AddSizedField(form::kListField, "Big", 1, 0, 0, 100, 100, 32767, 32767);
  ASSERT_EQ(area_.forms.SetForm(3, 100, 0, 0, big.Write("big.fed")), 0);
  ASSERT_EQ(AllocListBuffer(area_, "Rows"), 0);
  ASSERT_EQ(SetLong(area_, kCurrentForm, 3), 0);
  EXPECT_EQ(AllocListBuffer(area_, "Big"), -4);
  EXPECT_FALSE(area_.listBuffer);
}

TEST_F(FieldsTest, ListCells) {
  EXPECT_EQ(SetListData(area_, 1, 1, 3, "abc"), -2) << "no buffer";
  area_.drawing.itemLength = 8;
  ASSERT_EQ(AllocListBuffer(area_, "Rows"), 0);
  const session::ListBuffer& b = *area_.listBuffer;
  const int bad[][2] = {{0, 1}, {1, 0}, {4, 1}, {1, 25}, {-1, -1}};
  for (const auto& cr : bad) EXPECT_EQ(SetListData(area_, cr[0], cr[1], 1, "x"), -3) << cr[0] << "," << cr[1];

  auto cell = [&](int c, int r) { return b.cells.data() + CellOffset(b, c, r); };
  EXPECT_EQ(CellOffset(b, 2, 3), (2u * 3 + 1) * 10) << "row after row, 2 + item length per cell";
  ASSERT_EQ(SetListData(area_, 3, 24, 20, "0123456789ABCDEF"), 0);
  EXPECT_EQ(form::GetI16(cell(3, 24)), 8) << "a count past the item length is cut";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(cell(3, 24) + 2), 8), "01234567");
  EXPECT_LE(CellOffset(b, 3, 24) + 10, b.cells.size());

  ASSERT_EQ(SetListData(area_, 2, 1, 6, "abcdefgh"), 0);
  ASSERT_EQ(SetListData(area_, 2, 1, 5, "xy"), 0);
  EXPECT_EQ(form::GetI16(cell(2, 1)), 5) << "the count is kept as given";
  EXPECT_EQ(std::memcmp(cell(2, 1) + 2, "xy\0\0\0\0\0\0", 8), 0) << "copy stops at the NUL";
  ASSERT_EQ(SetListData(area_, 1, 2, -5, "abc"), 0);
  EXPECT_EQ(form::GetI16(cell(1, 2)), 0);
}

TEST_F(FieldsTest, ProbesWithoutSession) {
  EXPECT_EQ(ProbeFieldNumber(path_.c_str(), "Total", 1), 7);
  EXPECT_EQ(ProbeFieldNumber(path_.c_str(), "Code", 2), 9);
  EXPECT_EQ(ProbeFieldNumber(path_.c_str(), "Logo", 4), 10);
  EXPECT_EQ(ProbeFieldNumber(path_.c_str(), "Rows", 3), -2);
  EXPECT_EQ(ProbeFieldNumber(path_.c_str(), "Total", 5), -2);
  EXPECT_EQ(ProbeFieldNumber(path_.c_str(), "Logo", 1), -3);
  EXPECT_EQ(ProbeFieldNumber((path_ + ".none").c_str(), "Total", 1), -1);
  EXPECT_EQ(ProbeFieldNumber(nullptr, "Total", 1), -1);
  EXPECT_EQ(ProbeListFieldRows(path_.c_str(), "Rows"), 24);
  EXPECT_EQ(ProbeListFieldRows(path_.c_str(), "Total"), -3);
  // A form whose check word is damaged cannot be loaded.
  std::string damaged = forms_.Write("damaged.fed");
  std::string bytes;
  {
    std::ifstream in(damaged, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::size_t header = bytes.find("99\r\n") + 4;
  bytes[header + 38] ^= 1;
  std::ofstream(damaged, std::ios::binary) << bytes;
  EXPECT_EQ(ProbeListFieldRows(damaged.c_str(), "Rows"), -1);
}

TEST_F(FieldsTest, ProfileDirectory) {
  const auto windir = forms_.Dir() / "win";
  std::filesystem::create_directories(windir);
  ::setenv("FMDRAW_WINDIR", windir.c_str(), 1);
  const std::string dir = forms_.Dir().string();
  EXPECT_NE(SetProfileDirectory(dir.c_str(), "form"), 0);
  EXPECT_NE(SetProfileDirectory(dir.c_str(), "Image"), 0);
  EXPECT_EQ(SetProfileDirectory(dir.c_str(), "FORMS"), 0);
  EXPECT_EQ(SetProfileDirectory((dir + "/none").c_str(), "TEXT"), 0);
  EXPECT_EQ(SetProfileDirectory(nullptr, "TEXT"), 0);
  EXPECT_EQ(SetProfileDirectory(dir.c_str(), nullptr), 0);
  const auto ini = windir / "FMKEBRS.ini";
  EXPECT_EQ(platform::ReadProfileString(ini, "Directory", "Form", "?"), dir);
  EXPECT_EQ(platform::ReadProfileString(ini, "Directory", "Image", "?"), dir);
  EXPECT_EQ(platform::ReadProfileString(ini, "Directory", "Text", "?"), "?");
  ::unsetenv("FMDRAW_WINDIR");
}

}  // namespace
}  // namespace fmdraw::fields
