// Browse files through the C interface, written byte by byte from the documented layout:
// 620-byte file header (form count at 616), 32-byte form headers (item count at 28),
// 28-byte item headers (name length, data length, sub-item count at 24), 28-byte
// sub-item headers (20-byte name, data length at 24).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formdraw/fmdraw32.h"

namespace {

namespace fs = std::filesystem;

struct Sub {
  std::string name, data;
};
struct Item {
  std::string name, data;
  std::vector<Sub> subs;
};

void Put32(std::string& s, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// One form holding `items`.
std::string OneForm(const std::vector<Item>& items) {
  std::string s(620, '\0');
  Put32(s, 616, 1);
  std::string form(32, '\0');
  Put32(form, 28, static_cast<uint32_t>(items.size()));
  s += form;
  for (const auto& item : items) {
    std::string h(28, '\0');
    Put32(h, 0, static_cast<uint32_t>(item.name.size()));
    Put32(h, 4, static_cast<uint32_t>(item.data.size()));
    Put32(h, 24, static_cast<uint32_t>(item.subs.size()));
    s += h + item.name + item.data;
    for (const auto& sub : item.subs) {
      std::string sh(28, '\0');
      sh.replace(0, sub.name.size(), sub.name);
      Put32(sh, 24, static_cast<uint32_t>(sub.data.size()));
      s += sh + sub.data;
    }
  }
  return s;
}

class BrowseExports : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("fmbrs_abi_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& bytes) {
    const std::string path = (dir_ / "saved.brs").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
  }
  fs::path dir_;
};

TEST_F(BrowseExports, SubItemIsLookedForInTheFirstItemOfThatNameOnly) {
  const std::string file = Write(OneForm({{"Table", "", {{"Col1", "v1"}}}, {"Table", "", {{"Col3", "v3"}}}}));
  char out[16] = "untouched";
  EXPECT_EQ(FmBrsGetListByForm(file.c_str(), 1, "Table", "Col1", out), 1);
  EXPECT_STREQ(out, "v1");
  std::strcpy(out, "untouched");
  EXPECT_EQ(FmBrsGetListByForm(file.c_str(), 1, "Table", "Col3", out), 0);
  EXPECT_STREQ(out, "untouched");
}

TEST_F(BrowseExports, ItemsLargerThan64KiBAreRead) {
  std::string big(70000, 'x');
  big.back() = 'y';
  std::string bytes = OneForm({{"Big", big, {{"Sub", big}}}, {"Small", "ok", {}}});
  const std::string file = Write(bytes);
  std::vector<char> out(big.size() + 1, '#');
  ASSERT_EQ(FmBrsGetDataByForm(file.c_str(), 1, "Big", out.data()), 1);
  EXPECT_EQ(std::string(out.data()), big);
  ASSERT_EQ(FmBrsGetListByForm(file.c_str(), 1, "Big", "Sub", out.data()), 1);
  EXPECT_EQ(std::string(out.data()), big);
  // The same file cut by one byte: the last length now reaches past its end.
  bytes.pop_back();
  Write(bytes);
  EXPECT_EQ(FmBrsGetDataByForm(file.c_str(), 1, "Small", out.data()), -1);
  // A data length larger than the file is refused before anything is copied.
  bytes = OneForm({{"Big", big, {}}});
  Put32(bytes, 620 + 32 + 4, 0x7FFFFFF0);
  Write(bytes);
  EXPECT_EQ(FmBrsGetDataByForm(file.c_str(), 1, "Big", out.data()), -1);
}

}  // namespace
