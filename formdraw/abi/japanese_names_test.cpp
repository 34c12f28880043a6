// Japanese file and folder names: the interface takes CP932 bytes, while files on this
// system usually carry UTF-8 names (copied from a Windows share, or a share mounted with
// a UTF-8 character set). Every name the library opens is found under its UTF-8 form
// first and under its bytes as given second.
#include <cstring>

#include "formdraw/abi/trace_session.h"
#include "formdraw/image/test_printers.h"
#include "platform/codepage.h"
#include "platform/profile.h"

namespace fmtest {
namespace {

using fmdraw::testing::Bitmap24;
using fmdraw::testing::FormFile;
using fmdraw::testing::ImageRecord;
using fmdraw::testing::WriteBytes;

std::string Cp932(const std::string& utf8) { return platform::Utf8ToCp932(utf8); }

std::vector<uint8_t> Grey(int w, int h) {
  return Bitmap24(w, h, [](int, int) { return 0x808080u; });
}

class JapaneseNames : public TraceSession {
 protected:
  // A path under the test folder, in UTF-8 (as on disk) and in CP932 (as callers pass it).
  std::string Utf8(const std::string& name) const { return (root_ / name).string(); }
  std::string Bytes(const std::string& name) const { return Cp932(Utf8(name)); }
  void InstallPrinter() const {
    std::ofstream(root_ / "win" / "win.ini") << "[windows]\r\ndevice=T,fmdraw," << (root_ / "out").string() << "\r\n";
    std::ofstream(root_ / "win" / "printers.ini")
        << "[T]\r\nDriver=fmdraw\r\nPort=" << (root_ / "out").string() << "\r\nFormat=trace\r\nDpi=300\r\n";
  }
  int OpenOn(const std::string& cp932Form) {
    InstallPrinter();
    return FmInit(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, cp932Form.c_str(), "", S());
  }
};

TEST_F(JapaneseNames, FormFilesUnderUtf8AndUnderCp932Names) {
  FormBuilder form;
  form.Add(11, Rec(36).W(0, 1).W(1, 7).W(4, 0).W(5, 0).W(6, 1440).W(7, 1440).S(16, Cp932("ロゴ欄")), false);
  std::ofstream(Utf8("日報.fed"), std::ios::binary) << form.Bytes();
  std::ofstream(Bytes("月報.fed"), std::ios::binary) << form.Bytes();  // a name in CP932 bytes
  EXPECT_EQ(FmGetFormVersion(Bytes("日報.fed").c_str()), 4);
  EXPECT_EQ(FmGetFormVersion(Bytes("月報.fed").c_str()), 4);
  EXPECT_EQ(FmGetFieldNo(Bytes("日報.fed").c_str(), Cp932("ロゴ欄").c_str(), 4), 7);
  ASSERT_EQ(OpenOn(Bytes("日報.fed")), 0);
  EXPECT_EQ(FmSetForm(1, 100, 0, 0, Bytes("月報.fed").c_str(), S()), 0);
  EXPECT_EQ(FmChangeForm(Bytes("月報.fed").c_str(), S()), 0);
  EXPECT_EQ(FmChangeForm(Bytes("年報.fed").c_str(), S()), -5);

  // The writer creates a new file under the UTF-8 name.
  const int16_t counts[13] = {};
  ASSERT_EQ(AllFormWrite(0, Bytes("新規.fed").c_str(), counts, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_TRUE(fs::exists(Utf8("新規.fed")));
}

TEST_F(JapaneseNames, ImagesTiffsAndTheirFolders) {
  fs::create_directories(Utf8("画像"));
  fs::create_directories(Utf8("一時"));
  WriteBytes(Utf8("ロゴ.bmp"), Grey(10, 10));
  WriteBytes(Utf8("画像/印影.bmp"), Grey(10, 10));
  const char* source = std::getenv("TB_SOURCE_DIR");
  fs::copy_file(fs::path(source != nullptr ? source : ".") / "fmimg/testdata/tiff_corpus/rgb.tif", Utf8("写真.tif"));
  std::array<std::vector<uint8_t>, 12> arrays{};
  arrays[4] = ImageRecord(Bytes("写真.tif"), 0, 0, 1440, 1440);
  arrays[0] = {1, 0, 4, 0, 0, 0};
  arrays[11] = fmdraw::testing::ImageField("PIC", 0, 0, 1440, 1440);
  WriteBytes(Utf8("写真帳.fed"), FormFile(arrays));
  ASSERT_EQ(OpenOn(Bytes("写真帳.fed")), 0);

  EXPECT_EQ(FmPrintImage(100, 0, 0, Bytes("ロゴ.bmp").c_str(), S()), 0);
  EXPECT_EQ(FmPrintImage(100, 0, 0, Bytes("写真.tif").c_str(), S()), 0);
  EXPECT_EQ(FmPrintImageField("PIC", Bytes("ロゴ.bmp").c_str(), S()), 0);
  EXPECT_EQ(FmSetString(102, Bytes("一時").c_str(), S()), 0);
  EXPECT_EQ(FmSetString(101, Bytes("画像").c_str(), S()), 0);
  EXPECT_EQ(FmPrintImage(100, 0, 0, Cp932("C:\\データ\\印影.bmp").c_str(), S()), 0)
      << "taken from the image folder by its last part";
  ASSERT_EQ(FmPrintForm(nullptr, S()), 0);
  EXPECT_TRUE(fs::exists(Utf8("一時/$FMKTMP$.001"))) << "the form's TIFF copy lives in the folder";
  EXPECT_EQ(FmSetString(101, Bytes("無い").c_str(), S()), -3);
  EXPECT_EQ(Only(Close(), "StretchBitmap").size(), 5u);
  EXPECT_FALSE(fs::exists(Utf8("一時/$FMKTMP$.001"))) << "deleted when the session ends";
}

TEST_F(JapaneseNames, BrowseAndRawPrintFilesAndTheProfile) {
  std::string browse(620 + 32 + 28, '\0');
  browse[616] = 1;
  browse[620 + 28] = 1;
  browse[620 + 32] = 1;  // name length 1
  browse[620 + 32 + 4] = 2;  // data length 2
  browse += "Aok";
  std::ofstream(Utf8("保存.brs"), std::ios::binary) << browse;
  char out[8] = {};
  EXPECT_EQ(FmBrsGetDataByForm(Bytes("保存.brs").c_str(), 1, "A", out), 1);
  EXPECT_STREQ(out, "ok");
  fs::create_directories(Utf8("一覧"));
  EXPECT_EQ(FmBrsGetForm(Bytes("保存.brs").c_str(), 0, Bytes("一覧/項目.txt").c_str()), 1);
  EXPECT_TRUE(fs::exists(Utf8("一覧/項目.txt")));

  std::ofstream(Utf8("印刷.prn"), std::ios::binary) << "RAW";
  InstallPrinter();
  EXPECT_EQ(FmPrintFile(Bytes("印刷.prn").c_str()), 0);
  EXPECT_EQ(FmPrintFile(Bytes("無い.prn").c_str()), -4);

  fs::create_directories(Utf8("様式"));
  EXPECT_EQ(FmSetProfile(Bytes("様式").c_str(), "FORM"), 1);
  EXPECT_EQ(platform::ReadProfileString(root_ / "win" / "FMKEBRS.ini", "Directory", "Form", "", 512),
            Bytes("様式"))
      << "the profile, a CP932 file, holds the name as given";
  EXPECT_EQ(FmSetProfile(Bytes("無い").c_str(), "FORM"), 0);
}

}  // namespace
}  // namespace fmtest
