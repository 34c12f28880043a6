// Sessions through the C interface, on printers installed in a temporary Windows
// directory: a folder printer writing PDF or trace files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "formdraw/fmdraw32.h"
#include "platform/profile.h"

namespace fs = std::filesystem;

namespace {

void Put16(std::string& s, int v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

// A version-4 form with no records, orientation `orientation`, written from the format
// tables: text lines, "99", a 40-byte header whose check value is sum % 54.
std::string EmptyForm(const std::string& signature = "#Formvista Ver4.00", int orientation = 1) {
  std::string s = signature + "\r\n9," + std::to_string(orientation) + "\r\n\r\n\r\n\r\n99\r\n";
  int sum = 0;
  for (int i = 0; i < 13; ++i) Put16(s, 0);
  for (int r : {7, 11, 13, 17, 19, 23}) { Put16(s, r); sum += r; }
  Put16(s, sum % 54);
  return s;
}

// A form with the given record lines and header counts (arrays zero-filled, `present`
// records of each counted kind actually written).
std::string FormWith(const std::vector<std::string>& lines, std::array<int, 12> counts,
                     std::array<int, 12> present) {
  static constexpr int kSize[12] = {6, 26, 32, 64, 154, 30, 92, 46, 40, 92, 66, 36};
  std::string s = "#Formvista Ver4.00\r\n9,0\r\n\r\n\r\n\r\n";
  for (const auto& l : lines) s += l + "\r\n";
  s += "99\r\n";
  int sum = 0;
  for (int c : counts) { Put16(s, c); sum += static_cast<int16_t>(c); }
  for (int i = 0; i < 7; ++i) Put16(s, 0);
  Put16(s, sum % 54);
  for (int k = 0; k < 12; ++k) s += std::string(static_cast<std::size_t>(present[k]) * kSize[k], '\0');
  return s;
}

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("fmsession_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "win");
    fs::create_directories(root_ / "out");
    fs::create_directories(root_ / "forms");
    ::setenv("FMDRAW_WINDIR", (root_ / "win").c_str(), 1);
    form_ = (root_ / "forms" / "DFmt_A4.fed").string();
    std::ofstream(form_, std::ios::binary) << EmptyForm();
    InstallPrinter("pdf");
  }
  void TearDown() override {
    ::unsetenv("FMDRAW_WINDIR");
    ::unsetenv("FMDRAW_PATH");
    fs::remove_all(root_);
  }
  void InstallPrinter(const std::string& format, const std::string& port = "") {
    std::ofstream(root_ / "win" / "win.ini") << "[windows]\r\ndevice=Folder PDF,fmdraw,"
                                             << (port.empty() ? (root_ / "out").string() : port) << "\r\n";
    std::ofstream(root_ / "win" / "printers.ini")
        << "[Folder PDF]\r\nDriver=fmdraw\r\nPort=" << (port.empty() ? (root_ / "out").string() : port)
        << "\r\nFormat=" << format << "\r\nDpi=300\r\nOrientation=1\r\nCopies=3\r\nPaperSize=9\r\n";
  }
  std::string Setting(const std::string& key) {
    return platform::ReadProfileString(root_ / "win" / "printers.ini", "Folder PDF", key, "?");
  }
  std::vector<fs::path> Outputs() {
    std::vector<fs::path> files;
    for (auto& e : fs::directory_iterator(root_ / "out")) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }
  int Init(const char* form, int mode = 1, int magnification = 100, const char* out = "") {
    return FmInit(0, 0, mode, magnification, 0, 0, 0, 0, 0, 0, form, out, session_.data());
  }
  bool RecordIsZero() const { return session_[0] == 0 && session_[1] == 0 && session_[2] == 0; }

  fs::path root_;
  std::string form_;
  std::array<int32_t, 4> session_{};
};

TEST_F(SessionTest, ArgumentChecks) {
  struct Row {
    int index;
    int mode;
    int magnification;
    std::string form;
    int expected;
  };
  const Row rows[] = {
      {0, 6, 100, "x.fed", -1},
      {1, 0, 100, "x.fed", -1},
      {2, 1, 0, "x.fed", -8},
      {3, 1, 1001, "x.fed", -8},
      {4, 1, 100, std::string(129, 'a'), -2},
      {5, 1, 100, "", -2},
      {6, 1, 100, (fs::temp_directory_path() / "no_such_form.fed").string(), -3},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Init(r.form.c_str(), r.mode, r.magnification), r.expected) << "row " << r.index;
    EXPECT_TRUE(RecordIsZero()) << "row " << r.index;
  }
  EXPECT_EQ(Init(form_.c_str(), 3, 100, ""), -8) << "mode 3 needs an output file";
  std::string out = (root_ / "mode3.out").string();
  std::ofstream(out) << "old contents";
  ASSERT_EQ(Init(form_.c_str(), 3, 100, out.c_str()), 0);
  EXPECT_EQ(fs::file_size(out), 0u) << "created empty to test it";
  EXPECT_EQ(FmTerm(session_.data()), 0);
  EXPECT_EQ(Outputs().size(), 1u) << "output still goes to the printer";
}

TEST_F(SessionTest, PrinterResolutionOutsideItsRangeIsRefused) {
  struct Row {
    const char* settings;
    int expected;
  };
  // A tiny custom page keeps the page size check from catching the resolution first.
  const Row rows[] = {
      {"Dpi=0\r\n", -8},
      {"Dpi=-300\r\n", -8},
      {"Dpi=3000000\r\nPaperSize=0\r\nPaperLength=1\r\nPaperWidth=1\r\n", -8},
      {"Dpi=9600\r\nPaperSize=0\r\nPaperLength=10\r\nPaperWidth=10\r\n", 0},
  };
  for (const auto& r : rows) {
    std::ofstream(root_ / "win" / "printers.ini")
        << "[Folder PDF]\r\nDriver=fmdraw\r\nPort=" << (root_ / "out").string()
        << "\r\nFormat=trace\r\n" << r.settings;
    EXPECT_EQ(Init(form_.c_str()), r.expected) << r.settings;
    if (r.expected != 0) {
      EXPECT_TRUE(RecordIsZero()) << r.settings;
      continue;
    }
    EXPECT_EQ(FmSetLine(0, 10, session_.data()), 0);
    EXPECT_EQ(FmPrintLine(0, 0, 50, 50, session_.data()), 0);
    EXPECT_EQ(FmTerm(session_.data()), 0);
  }
}

TEST_F(SessionTest, SignatureChecks) {
  std::string v3 = (root_ / "forms" / "v3.fed").string();
  std::ofstream(v3, std::ios::binary) << EmptyForm("#Formvista Ver3.00");
  EXPECT_EQ(Init(v3.c_str()), -10);
  std::ofstream(v3, std::ios::binary) << EmptyForm("#formeditor");
  EXPECT_EQ(Init(v3.c_str()), -10);
  std::ofstream(v3, std::ios::binary) << EmptyForm("#Painter 4");
  EXPECT_EQ(Init(v3.c_str()), -3);
  EXPECT_TRUE(RecordIsZero());
  EXPECT_TRUE(Outputs().empty());
}

TEST_F(SessionTest, OnePagePdfAndSettingsWrittenBack) {
  ASSERT_EQ(FmInitName(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, form_.c_str(), "", session_.data(), "daily"), 0);
  EXPECT_EQ(session_[2], FMDRAW_STATE_OPEN);
  EXPECT_EQ(FmPrintOut(session_.data()), 0);
  EXPECT_EQ(FmTerm(session_.data()), 0);
  EXPECT_TRUE(RecordIsZero());
  auto files = Outputs();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename(), "daily_0001.pdf");
  EXPECT_EQ(ReadAll(files[0]).substr(0, 5), "%PDF-");
  std::string info;
  if (FILE* p = ::popen(("pdfinfo '" + files[0].string() + "'").c_str(), "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, p)) info += line;
    ::pclose(p);
  }
  EXPECT_NE(info.find("Page size:       841.68 x 595.2 pts (A4)"), std::string::npos)
      << "landscape A4 (3507 x 2480 dots at 300 dpi): " << info;
  // The landscape form turned the stored settings; one copy.
  EXPECT_EQ(Setting("Orientation"), "2");
  EXPECT_EQ(Setting("Copies"), "1");
  // Every call on the closed record fails.
  EXPECT_EQ(FmPrintOut(session_.data()), -1);
  EXPECT_EQ(FmTerm(session_.data()), -1);
  EXPECT_EQ(FmChangeForm(form_.c_str(), session_.data()), -1);
  EXPECT_EQ(FmSetForm(1, 100, 0, 0, form_.c_str(), session_.data()), -1);
}

TEST_F(SessionTest, SecondDocumentNeverOverwrites) {
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(FmInitName(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, form_.c_str(), "", session_.data(), "d"), 0);
    EXPECT_EQ(FmTerm(session_.data()), 0);
  }
  auto files = Outputs();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].filename(), "d_0002.pdf");
}

TEST_F(SessionTest, AbortLeavesNoFile) {
  ASSERT_EQ(Init(form_.c_str()), 0);
  EXPECT_EQ(FmAbort(session_.data()), 0);
  EXPECT_TRUE(RecordIsZero());
  EXPECT_TRUE(Outputs().empty());
}

TEST_F(SessionTest, PrinterDriverSettings) {
  ASSERT_EQ(FmSetPrinterDriver(0x40000003, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, session_.data()), 0);
  EXPECT_EQ(session_[2], FMDRAW_STATE_SETTINGS);
  EXPECT_EQ(FmSetPrinterDriver(0, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, session_.data()), -1);
  InstallPrinter("trace");
  ASSERT_EQ(Init(form_.c_str()), 0);
  EXPECT_EQ(FmSetPrinterDriver(0, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, session_.data()), -1)
      << "an open session is refused";
  EXPECT_EQ(FmTerm(session_.data()), 0);
  // Given settings are not stored in the printer; the page is A3 portrait at 300 dpi.
  EXPECT_EQ(Setting("Orientation"), "1");
  EXPECT_EQ(Setting("Copies"), "3");
  auto files = Outputs();
  ASSERT_EQ(files.size(), 1u);
  std::string trace = ReadAll(files[0]);
  EXPECT_NE(trace.find("StartDoc \"\" dpi=300 page=3507x4960"), std::string::npos) << trace;
  EXPECT_NE(trace.find("StartPage\n"), std::string::npos);
  EXPECT_NE(trace.find("EndDoc"), std::string::npos);
}

// Settings given with an empty mask (0x40000000 alone counts as empty) change nothing:
// neither the stored settings nor the page take the call's values or the landscape
// form's orientation; the page is the stored portrait A4.
TEST_F(SessionTest, PrinterDriverWithAnEmptyMaskChangesNothing) {
  InstallPrinter("trace");
  for (uint32_t mask : {0u, 0x40000000u}) {
    ASSERT_EQ(FmSetPrinterDriver(static_cast<int32_t>(mask), 2, 8, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0,
                                 session_.data()), 0);
    ASSERT_EQ(Init(form_.c_str()), 0) << mask;
    EXPECT_EQ(FmTerm(session_.data()), 0);
    EXPECT_EQ(Setting("Orientation"), "1") << mask;
    EXPECT_EQ(Setting("Copies"), "3") << mask;
    EXPECT_EQ(Setting("PaperSize"), "9") << mask;
  }
  auto files = Outputs();
  ASSERT_EQ(files.size(), 2u);
  for (const auto& f : files)
    EXPECT_NE(ReadAll(f).find("StartDoc \"\" dpi=300 page=2480x3507"), std::string::npos) << ReadAll(f);
}

TEST_F(SessionTest, FailedOpenAfterPrinterDriverIsReleasedByTerm) {
  ASSERT_EQ(FmSetPrinterDriver(3, 2, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, session_.data()), 0);
  std::string missing = (root_ / "forms" / "missing.fed").string();
  EXPECT_EQ(Init(missing.c_str()), -3);
  EXPECT_EQ(session_[2], FMDRAW_STATE_SETTINGS);
  EXPECT_EQ(FmTerm(session_.data()), -1);
  EXPECT_TRUE(RecordIsZero()) << "the kept work area is freed";
  ASSERT_EQ(FmSetPrinterDriver(3, 2, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, session_.data()), 0);
  EXPECT_EQ(FmAbort(session_.data()), -1);
  EXPECT_TRUE(RecordIsZero());
}

TEST_F(SessionTest, BareNameFoundOnSearchPath) {
  ::setenv("FMDRAW_PATH", (root_ / "forms").c_str(), 1);
  EXPECT_EQ(Init("\\\\server\\vurodor\\TB_Format\\DFmt_A4.fed"), 0);
  EXPECT_EQ(FmTerm(session_.data()), 0);
  // A name without any folder is searched for too.
  EXPECT_EQ(Init("DFmt_A4.fed"), 0);
  EXPECT_EQ(FmTerm(session_.data()), 0);
}

TEST_F(SessionTest, ReopeningAnOpenRecordIsRefused) {
  FmInitParams p{};
  p.mode = 4;
  p.magnification = 100;
  std::memcpy(p.formFile, form_.c_str(), form_.size());
  ASSERT_EQ(Init(form_.c_str()), 0);
  auto before = session_;
  EXPECT_EQ(Init(form_.c_str()), -1);
  EXPECT_EQ(session_, before);
  // The indirect open refuses an open record too, and leaves its session working.
  EXPECT_EQ(FmInitIndirect(&p, session_.data()), -1);
  EXPECT_EQ(session_, before);
  EXPECT_EQ(FmPrintForm(nullptr, session_.data()), 0);
  EXPECT_EQ(FmPrintOut(session_.data()), 0);
  EXPECT_EQ(FmTerm(session_.data()), 0);
  EXPECT_EQ(Outputs().size(), 1u);
}

// A plant prints for years from one process: every file a session reads or writes
// (form, printer settings, output) is closed again by its end.
TEST_F(SessionTest, SessionsLeaveNoFilesOpen) {
  auto openFiles = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
  };
  const auto before = openFiles();
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(Init(form_.c_str()), 0);
    EXPECT_EQ(FmPrintForm(nullptr, session_.data()), 0);
    EXPECT_EQ(FmPrintOut(session_.data()), 0);
    EXPECT_EQ(FmTerm(session_.data()), 0);
  }
  EXPECT_EQ(openFiles(), before);
  EXPECT_EQ(Outputs().size(), 3u);
}

TEST_F(SessionTest, DisplayModeAndIndirectOpen) {
  EXPECT_EQ(FmInit(0, 0, 2, 100, 0, 0, 0, 0, 0, 0, form_.c_str(), "", session_.data()), -6);
  // A window wider or taller than 50,000 dots (13.2 m at 96 dpi) is refused too.
  EXPECT_EQ(FmInit(0, 0, 2, 100, 0, 0, 0, 0, 1323000, 5000, form_.c_str(), "", session_.data()), -6);
  EXPECT_EQ(FmInit(0, 0, 2, 100, 0, 0, 0, 0, 5000, 1323000, form_.c_str(), "", session_.data()), -6);
  std::string picture = (root_ / "display.png").string();
  ::setenv("FMDRAW_DISPLAY_PNG", picture.c_str(), 1);
  // The size of the page shown: PNG width and height, big-endian at bytes 16 and 20.
  auto shown = [&](int32_t dc, int32_t width, int32_t height) -> std::pair<int, int> {
    std::filesystem::remove(picture);
    if (FmInit(0, dc, 2, 100, 0, 0, 0, 0, width, height, form_.c_str(), "", session_.data()) != 0)
      return {};
    EXPECT_EQ(FmPrintOut(session_.data()), 0);
    EXPECT_EQ(FmPrintOut(session_.data()), 0);
    EXPECT_EQ(FmTerm(session_.data()), 0);
    const std::string png = ReadAll(picture);
    if (png.size() < 24) return {};
    auto be32 = [&](std::size_t at) {
      return (static_cast<uint8_t>(png[at]) << 24) | (static_cast<uint8_t>(png[at + 1]) << 16) |
             (static_cast<uint8_t>(png[at + 2]) << 8) | static_cast<uint8_t>(png[at + 3]);
    };
    return {be32(16), be32(20)};
  };
  // 100 x 50 mm at 96 dpi: 377 x 188 pixels. A caller's context without a whole size
  // shows an A4 page (793 x 1122).
  EXPECT_EQ(shown(0, 10000, 5000), std::pair(377, 188));
  EXPECT_EQ(shown(7, 0, 0), std::pair(793, 1122));
  EXPECT_EQ(shown(7, 10000, 0), std::pair(793, 1122));
  EXPECT_EQ(shown(7, 0, 5000), std::pair(793, 1122));
  EXPECT_EQ(shown(7, 10000, 5000), std::pair(377, 188));
  ::unsetenv("FMDRAW_DISPLAY_PNG");
  EXPECT_TRUE(Outputs().empty());

  FmInitParams p{};
  p.mode = 4;
  p.magnification = 100;
  p.mask = 0x1;
  p.settings[0] = 1;
  std::memcpy(p.formFile, form_.c_str(), form_.size());
  p.formFile[form_.size()] = ' ';
  ASSERT_EQ(FmInitIndirectName(&p, session_.data(), "indirect"), 0);
  EXPECT_EQ(FmTerm(session_.data()), 0);
  // The indirect open has no output file: modes 3 to 5 print on the printer.
  for (int mode : {3, 5}) {
    p.mode = mode;
    EXPECT_EQ(FmInitIndirect(&p, session_.data()), 0) << "mode " << mode;
    EXPECT_EQ(FmTerm(session_.data()), 0);
  }
  std::memset(p.formFile, 'a', sizeof p.formFile);
  EXPECT_EQ(FmInitIndirect(&p, session_.data()), -2);
  EXPECT_TRUE(RecordIsZero());
}

TEST_F(SessionTest, FailedIndirectOpenLeavesNoWorkArea) {
  struct Row {
    int mode;
    int magnification;
    std::string form;
    int expected;
  };
  const Row rows[] = {
      {6, 100, form_, -1},
      {1, 0, form_, -8},
      {1, 100, (root_ / "forms" / "missing.fed").string(), -3},
  };
  for (const auto& r : rows) {
    FmInitParams p{};
    p.mode = r.mode;
    p.magnification = r.magnification;
    std::memcpy(p.formFile, r.form.c_str(), r.form.size());
    EXPECT_EQ(FmInitIndirect(&p, session_.data()), r.expected) << r.form;
    EXPECT_TRUE(RecordIsZero()) << r.form;
  }
}

TEST_F(SessionTest, ChangeFormAndRegistration) {
  ASSERT_EQ(Init(form_.c_str()), 0);
  EXPECT_EQ(FmChangeForm("", session_.data()), -2);
  EXPECT_EQ(FmChangeForm(std::string(129, 'a').c_str(), session_.data()), -2);
  EXPECT_EQ(FmChangeForm("/nonexistent/x.fed", session_.data()), -5);
  EXPECT_EQ(FmChangeForm(form_.c_str(), session_.data()), 0);
  EXPECT_EQ(FmSetForm(1, 100, 0, 0, form_.c_str(), session_.data()), 0);
  EXPECT_EQ(FmSetForm(400, 100, 0, 0, form_.c_str(), session_.data()), -1);
  EXPECT_EQ(FmTerm(session_.data()), 0);
}

TEST_F(SessionTest, RawFileToFolderPrinter) {
  std::string raw = (root_ / "job.prn").string();
  std::ofstream(raw, std::ios::binary) << std::string(10000, 'R');
  EXPECT_EQ(FmPrintFile(raw.c_str()), 0);
  auto files = Outputs();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(fs::file_size(files[0]), 10000u);
  EXPECT_EQ(files[0].filename(), "job_0001.prn");
  EXPECT_EQ(FmPrintFile((root_ / "none.prn").c_str()), -4);
  fs::remove(root_ / "win" / "win.ini");
  EXPECT_EQ(FmPrintFile(raw.c_str()), -5);
}

TEST_F(SessionTest, CupsQueue) {
  const char* queue = std::getenv("TB_CUPS_QUEUE");
  const char* require = std::getenv("TB_REQUIRE_CUPS");
  if (queue == nullptr || *queue == '\0') {
    if (require != nullptr && std::string(require) == "1") FAIL() << "TB_CUPS_QUEUE not set";
    GTEST_SKIP() << "no CUPS queue";
  }
  InstallPrinter("pdf", std::string("cups:") + queue);
  ASSERT_EQ(FmInitName(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, form_.c_str(), "", session_.data(), "cups"), 0);
  EXPECT_EQ(FmPrintOut(session_.data()), 0);
  EXPECT_EQ(FmTerm(session_.data()), 0) << "the queue accepted the document";
  std::string raw = (root_ / "raw.ps").string();
  std::ofstream(raw) << "%!PS\nshowpage\n";
  EXPECT_EQ(FmPrintFile(raw.c_str()), 0) << "raw job submitted";
}

TEST(FormExports, BrokenFilesGiveTheirCodes) {
  fs::path dir = fs::temp_directory_path() / ("fmbroken_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::array<int, 12> none{}, twoLines{}, oneLine{}, hugeLines{};
  twoLines[1] = 2;
  oneLine[1] = 1;
  hugeLines[1] = 32767;
  struct Row {
    int index;
    std::string bytes;
    int counter;  // ObjectNoGetV4
    int reader;   // FormInfoRead with the counted sizes
  };
  std::string good = FormWith({"400,face,0,1,128"}, twoLines, twoLines);
  std::string badCheck = good;
  badCheck[good.find("99\r\n") + 4 + 38] ^= 1;
  const Row rows[] = {
      {0, good, 0, 0},
      {1, good.substr(0, good.find("99\r\n") + 20), -2, -1},        // header cut short
      {2, badCheck, -3, 0},                                         // readers skip the check
      {3, FormWith({"400," + std::string(33, 'f') + ",0,1,128"}, none, none), -1, -1},
      {4, FormWith({"400,face,0,1," + std::string(600, '1')}, none, none), -1, -1},  // line cut at 511
      {5, good.substr(0, good.find("99\r\n")), -1, -1},             // no "99"
      {6, FormWith({}, twoLines, oneLine), 0, -1},                  // count larger than the data
      {7, FormWith({}, hugeLines, none), 0, -1},
  };
  for (const auto& r : rows) {
    std::string name = (dir / ("f" + std::to_string(r.index) + ".fed")).string();
    std::ofstream(name, std::ios::binary) << r.bytes;
    int16_t counts[13]{};
    int32_t offset = ObjectNoGetV4(0, name.c_str(), counts);
    EXPECT_EQ(offset < 0 ? offset : 0, r.counter) << "row " << r.index;
    if (r.index == 0) {
      EXPECT_EQ(counts[12], 1) << "one font line";
    }
    int16_t sized[13] = {0, static_cast<int16_t>(r.index == 7 ? 32767 : 2)};
    std::vector<uint8_t> order(6 * 2), lines(26 * 32767), fonts(38 * 4);
    char hanging[257];
    EXPECT_EQ(FormInfoRead(name.c_str(), sized, order.data(), lines.data(), nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, fonts.data(),
                           hanging),
              r.reader)
        << "row " << r.index;
  }
  fs::remove_all(dir);
}

TEST(FormExports, PipesAndFoldersAreNotReadAsFiles) {
  // Each call would wait for a writer if it opened the pipe for reading as a file.
  fs::path dir = fs::temp_directory_path() / ("fmpipe_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string pipe = (dir / "form.fed").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& name : {pipe, dir.string()}) {
    int16_t counts[13]{};
    char text[512];
    int32_t value = 0;
    EXPECT_EQ(FmGetFormVersion(name.c_str()), -1) << name;
    EXPECT_EQ(FmGetFormLong(2, name.c_str(), &value), -1) << name;
    EXPECT_EQ(FmGetFormString(4, name.c_str(), text), -1) << name;
    EXPECT_EQ(ObjectNoGetV4(0, name.c_str(), counts), -1) << name;
    EXPECT_EQ(FmBrsGetDataByForm(name.c_str(), 1, "a", text), -1) << name;
    EXPECT_EQ(FmGetFieldNo(name.c_str(), "a", 1), -1) << name;
  }
  fs::remove_all(dir);
}

TEST_F(SessionTest, OversizedArraysCannotBeRegistered) {
  std::array<int, 12> images{};
  images[4] = 712;  // 712 x 154 bytes > 65,535
  std::string big = (root_ / "forms" / "big.fed").string();
  std::ofstream(big, std::ios::binary) << FormWith({}, images, images);
  ASSERT_EQ(Init(form_.c_str()), 0);
  EXPECT_EQ(FmSetForm(1, 100, 0, 0, big.c_str(), session_.data()), -3);
  EXPECT_EQ(FmTerm(session_.data()), 0);
  EXPECT_EQ(Init(big.c_str()), -5) << "the first form cannot be registered";
  EXPECT_TRUE(RecordIsZero());
}

TEST(FormExports, GettersReadersAndWriter) {
  fs::path dir = fs::temp_directory_path() / ("fmexports_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string name = (dir / "a.fed").string();
  std::ofstream(name, std::ios::binary) << EmptyForm();
  EXPECT_EQ(FmGetFormVersion(name.c_str()), 4);
  EXPECT_EQ(FmGetPaperSize(name.c_str()), 9);
  EXPECT_EQ(FmGetOrientation(name.c_str()), 1);
  int32_t value = 0;
  // Kinds 1 to 3 are the version, the paper and the orientation.
  for (auto [kind, expected] : {std::pair{1, 4}, {2, 9}, {3, 1}}) {
    value = 0;
    EXPECT_EQ(FmGetFormLong(kind, name.c_str(), &value), 0) << kind;
    EXPECT_EQ(value, expected) << kind;
  }
  EXPECT_EQ(FmGetFormLong(7, name.c_str(), &value), -5);
  {
    // The field reader fills the field arrays only: here one data field after two lines.
    std::array<int, 12> counts{};
    counts[1] = 2;
    counts[6] = 1;
    std::string fields = FormWith({}, counts, counts);
    std::fill(fields.end() - 92, fields.end(), '\x5A');
    const std::string file = (dir / "fields.fed").string();
    std::ofstream(file, std::ios::binary) << fields;
    const int16_t sized[13] = {0, 2, 0, 0, 0, 0, 1};
    std::vector<uint8_t> data(92), order(6);
    EXPECT_EQ(FieldInfoRead(file.c_str(), sized, order.data(), data.data(), nullptr, nullptr, nullptr,
                            nullptr), 0);
    // Its font reference (bytes 12 and 13) names no font line of the form: it reads as -1.
    std::vector<uint8_t> expected(92, 0x5A);
    expected[12] = expected[13] = 0xFF;
    EXPECT_EQ(data, expected);
  }
  EXPECT_EQ(FmGetFormVersion((dir / "none").c_str()), -1);
  char text[512];
  EXPECT_EQ(FmGetFormString(4, name.c_str(), text), 0);
  EXPECT_STREQ(text, "");
  const std::string titled = (dir / "titled.fed").string();
  std::ofstream(titled, std::ios::binary) << FormWith({"301,Daily\x05 A\x06\x07" "B"}, {}, {});
  EXPECT_EQ(FmGetFormString(4, titled.c_str(), text), 0);
  EXPECT_STREQ(text, "Daily, A\r\nB");
  int16_t counts[13];
  int32_t offset = ObjectNoGetV4(0, name.c_str(), counts);
  EXPECT_EQ(offset, static_cast<int32_t>(EmptyForm().size()));
  EXPECT_EQ(ObjectNoGetV4(0, name.c_str(), nullptr), offset) << "the counts are optional";
  EXPECT_EQ(ObjectNoGetV4(1, name.c_str(), counts), -3);

  // Write a binary part with two lines and read it back at the offset.
  int16_t write[13] = {1, 2};
  uint8_t order[6] = {1, 0, 1, 0, 0, 0};
  uint8_t lines[52];
  for (int i = 0; i < 52; ++i) lines[i] = static_cast<uint8_t>(i);
  std::string bin = (dir / "b.bin").string();
  EXPECT_EQ(AllFormWrite(0, bin.c_str(), write, order, lines, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(fs::file_size(bin), 40u + 6 + 52);
  for (const char* file : {bin.c_str(), "", static_cast<const char*>(nullptr)}) {
    const int16_t* counts = file == bin.c_str() ? nullptr : write;
    EXPECT_EQ(AllFormWrite(0, file, counts, order, lines, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -1)
        << "a file name and the counts are needed";
  }
  EXPECT_EQ(fs::file_size(bin), 40u + 6 + 52);
  uint8_t order2[6]{}, lines2[52]{};
  EXPECT_EQ(AllFormRead(bin.c_str(), 40, write, order2, lines2, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(std::memcmp(lines, lines2, 52), 0);
  write[1] = 3;
  EXPECT_EQ(AllFormRead(bin.c_str(), 40, write, order2, lines2, nullptr, nullptr, nullptr, nullptr,
                        nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), -1);

  intptr_t handle = 0;
  auto* p = static_cast<char*>(FmAllocMem(0, &handle, 16));
  ASSERT_NE(p, nullptr);
  std::memcpy(p, "0123456789abcdef", 16);
  p = static_cast<char*>(FmAllocMem(1, &handle, 64));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::memcmp(p, "0123456789abcdef", 16), 0);
  EXPECT_EQ(FmFreeMem(handle), 0);
  fs::remove_all(dir);
}

}  // namespace
