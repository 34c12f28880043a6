// Browse files built by hand from the documented layout: listings, look-ups with the name
// rules, and damaged files (bytes flipped or cut at documented offsets) with exact codes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formdraw/fields/browse_calls.h"
#include "formdraw/fields/browse_file.h"
#include "formdraw/fields/test_browse_files.h"

namespace fmdraw::fields {
namespace {

namespace fs = std::filesystem;

using Form = testing::BrowseFormSpec;
using testing::BuildBrowse;

void Put32(std::string& s, std::size_t at, int32_t v) { testing::PutI32(s, at, v); }

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

std::string Text(const BrowseData& d) { return {reinterpret_cast<const char*>(d.data.data()), d.data.size()}; }

// "ア" (0x83 0x41) ends in a byte that reads as "A"; "ャ" is 0x83 0x61.
const std::string kKatakanaA = "\x83\x41";
const std::string kKatakanaSmallYa = "\x83\x61";

const std::vector<Form> kSample = {
    {{"Name", "Tanaka", {}}, {"Dept" + kKatakanaA, "Sales", {}}},
    {},
    {{"Table", "", {{"Col1", "v1"}, {"Col2", "v2"}, {"abcdefghijklmnopqrst", "full"}}},
     {"Table", "", {{"Col3", "v3"}}}},
};

TEST(BrowseFile, Listings) {
  const std::string file = BuildBrowse(kSample);
  BrowseListing all = ListBrowseItems(Bytes(file), 0);
  EXPECT_EQ(all.error, 0);
  EXPECT_EQ(all.lines, 4);
  EXPECT_EQ(all.text, "1,1,Name\r\n1,2,Dept" + kKatakanaA + "\r\n3,1,Table\r\n3,2,Table\r\n");
  EXPECT_EQ(ListBrowseItems(Bytes(file), 2).lines, 0);
  EXPECT_EQ(ListBrowseItems(Bytes(file), 3).text, "3,1,Table\r\n3,2,Table\r\n");
  EXPECT_EQ(ListBrowseItems(Bytes(file), 4).error, kBrowseBadArgument);
  EXPECT_EQ(ListBrowseItems(Bytes(file), -1).error, kBrowseBadArgument);

  const std::string empty = BuildBrowse({});
  EXPECT_EQ(ListBrowseItems(Bytes(empty), 0).error, 0);
  EXPECT_EQ(ListBrowseItems(Bytes(empty), 0).lines, 0);
  EXPECT_EQ(ListBrowseItems(Bytes(empty), 1).error, kBrowseBadArgument);
}

TEST(BrowseFile, Lookups) {
  const std::string file = BuildBrowse(kSample);
  struct Row {
    int index, form;
    std::string item;
    const char* sub;
    int result;
    std::string data;
  };
  const Row rows[] = {
      {0, 1, "Name", nullptr, 1, "Tanaka"},
      {1, 1, "nAME", nullptr, 1, "Tanaka"},           // single-byte letters fold
      {2, 1, "dept" + kKatakanaA, nullptr, 1, "Sales"},
      {3, 1, "Dept\x83\x61", nullptr, 0, ""},          // the trail byte does not fold
      {4, 1, "Nam", nullptr, 0, ""},
      {5, 2, "Name", nullptr, 0, ""},                  // items belong to their form
      {6, 3, "table", "Col2", 1, "v2"},
      {7, 3, "Table", "col2", 0, ""},                  // sub-item names are exact
      {8, 3, "Table", "Col3", 0, ""},                  // only the first "Table" is searched
      {9, 3, "Table", "abcdefghijklmnopqrst", 1, "full"},  // 20 bytes, no NUL
      {10, 0, "Name", nullptr, kBrowseBadArgument, ""},
      {11, 4, "Name", nullptr, kBrowseBadArgument, ""},
  };
  for (const auto& r : rows) {
    std::string_view sub = r.sub ? r.sub : "";
    BrowseData d = FindBrowseData(Bytes(file), r.form, r.item, r.sub ? &sub : nullptr);
    EXPECT_EQ(d.result, r.result) << "row " << r.index;
    EXPECT_EQ(Text(d), r.data) << "row " << r.index;
  }
  EXPECT_FALSE(BrowseNameEquals(kKatakanaA, kKatakanaSmallYa));
}

// Offsets in the one-form, one-item file below.
constexpr std::size_t kFormHeader = kBrowseFileHeaderBytes;               // 620
constexpr std::size_t kItemHeader = kFormHeader + kBrowseFormHeaderBytes;  // 652
constexpr std::size_t kName = kItemHeader + kBrowseItemHeaderBytes;        // 680
constexpr std::size_t kSubHeader = kName + 4 + 5;                          // 689

TEST(BrowseFile, DamagedFiles) {
  const std::string good = BuildBrowse({{{"Item", "Value", {{"S", "sub"}}}}});
  ASSERT_EQ(good.size(), kSubHeader + kBrowseSubItemHeaderBytes + 3);
  struct Row {
    int index;
    std::size_t at;  // int32 to overwrite, or the length to cut the file to
    int32_t value;
    bool cut;
    int expected;
    int lookup = kBrowseCorrupt;  // a look-up stops at its item, before later damage
  };
  const Row rows[] = {
      {0, 619, 0, true, kBrowseCorrupt},                      // short file header
      {1, kFormHeader + 31, 0, true, kBrowseCorrupt},         // short form header
      {2, kName + 2, 0, true, kBrowseCorrupt},                // name cut
      {3, kSubHeader + 27, 0, true, kBrowseCorrupt},          // sub-item header cut
      {4, good.size() - 1, 0, true, kBrowseCorrupt},          // sub-item data cut
      {5, kBrowseFormCountOffset, -1, false, kBrowseCorrupt},
      {6, kBrowseFormCountOffset, 2, false, kBrowseCorrupt, kBrowseFound},  // no form 2
      {7, kFormHeader + kBrowseItemCountOffset, -5, false, kBrowseCorrupt},
      {8, kFormHeader + kBrowseItemCountOffset, 0x7FFFFFFF, false, kBrowseCorrupt, kBrowseFound},
      {9, kItemHeader, -1, false, kBrowseCorrupt},             // name length
      {10, kItemHeader, 0x7FFFFFFF, false, kBrowseCorrupt},
      {11, kItemHeader + 4, 0x40000000, false, kBrowseCorrupt},  // data length
      {12, kItemHeader + 24, 0x10000000, false, kBrowseCorrupt},  // sub-item count
      {13, kItemHeader + 24, -2, false, kBrowseCorrupt},
      {14, kSubHeader + 24, 4, false, kBrowseCorrupt},         // one byte past the end
  };
  for (const auto& r : rows) {
    std::string file = good;
    if (r.cut)
      file.resize(r.at);
    else
      Put32(file, r.at, r.value);
    EXPECT_EQ(ListBrowseItems(Bytes(file), 0).error, r.expected) << "row " << r.index;
    std::string_view sub = "S";
    EXPECT_EQ(FindBrowseData(Bytes(file), 1, "Item", &sub).result, r.lookup) << "row " << r.index;
  }
}

class BrowseCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("fmbrowse_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    source_ = (dir_ / "saved.brs").string();
    std::ofstream(source_, std::ios::binary) << BuildBrowse(kSample);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  std::string source_;
};

TEST_F(BrowseCalls, ListingFile) {
  const std::string target = (dir_ / "list.txt").string();
  std::ofstream(target) << "old contents that are longer than the listing ........................";
  EXPECT_EQ(BrowseGetForm(source_.c_str(), 1, target.c_str()), 2);
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "1,1,Name\r\n1,2,Dept" + kKatakanaA + "\r\n");
  EXPECT_EQ(BrowseGetForm(source_.c_str(), 9, target.c_str()), -4);
  EXPECT_EQ(BrowseGetForm("", 0, target.c_str()), -4);
  EXPECT_EQ(BrowseGetForm(source_.c_str(), 0, nullptr), -4);
  EXPECT_EQ(BrowseGetForm((dir_ / "none.brs").c_str(), 0, target.c_str()), -1);
  EXPECT_EQ(BrowseGetForm(source_.c_str(), 0, (dir_ / "no" / "list.txt").c_str()), -2);
}

TEST_F(BrowseCalls, DataIntoTheCallersBuffer) {
  char out[16];
  std::memset(out, '#', sizeof out);
  EXPECT_EQ(BrowseGetData(source_.c_str(), 1, "NAME", false, nullptr, out), 1);
  EXPECT_STREQ(out, "Tanaka");
  EXPECT_EQ(BrowseGetData(source_.c_str(), 3, "Table", true, "Col1", out), 1);
  EXPECT_STREQ(out, "v1");
  EXPECT_EQ(BrowseGetData(source_.c_str(), 1, "Other", false, nullptr, out), 0);
  EXPECT_EQ(BrowseGetData(source_.c_str(), 3, "Table", true, nullptr, out), -4);
  EXPECT_EQ(BrowseGetData(source_.c_str(), 1, "Name", false, nullptr, nullptr), -4);
  EXPECT_EQ(BrowseGetData(nullptr, 1, "Name", false, nullptr, out), -4);
  EXPECT_EQ(BrowseGetData((dir_ / "none.brs").c_str(), 1, "Name", false, nullptr, out), -1);
}

}  // namespace
}  // namespace fmdraw::fields
