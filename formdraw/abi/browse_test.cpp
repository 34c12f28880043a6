// Browse files through the C interface, written byte by byte from the documented layout.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formdraw/fields/test_browse_files.h"
#include "formdraw/fmdraw32.h"

namespace {

namespace fs = std::filesystem;

using fmdraw::fields::testing::BrowseItemSpec;
using fmdraw::fields::testing::BuildBrowse;
using fmdraw::fields::testing::PutI32;

std::string OneForm(const std::vector<BrowseItemSpec>& items) { return BuildBrowse({items}); }

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
  PutI32(bytes, 620 + 32 + 4, 0x7FFFFFF0);
  Write(bytes);
  EXPECT_EQ(FmBrsGetDataByForm(file.c_str(), 1, "Big", out.data()), -1);
}

}  // namespace
