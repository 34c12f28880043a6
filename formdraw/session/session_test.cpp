// The session core: page cycle with the page-start rule, checked on PDF (pdfinfo) and on
// the trace device, and unit conversions.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formdraw/session/drawing_settings.h"
#include "formdraw/session/page_cycle.h"
#include "formdraw/session/printer_registry.h"
#include "formdraw/session/session_close.h"
#include "formdraw/session/session_open.h"
#include "formdraw/session/session_record.h"
#include "formdraw/session/units.h"

namespace fs = std::filesystem;

namespace fmdraw::session {
namespace {

void Put16(std::string& s, int v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

std::string EmptyForm() {
  std::string s = "#Formvista Ver4.00\r\n9,0\r\n\r\n\r\n\r\n99\r\n";
  for (int i = 0; i < 20; ++i) Put16(s, 0);
  return s;
}

std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    ::pclose(p);
  }
  return out;
}

class PageCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("fmpages_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "out");
    ::setenv("FMDRAW_WINDIR", root_.c_str(), 1);
    form_ = (root_ / "f.fed").string();
    std::ofstream(form_, std::ios::binary) << EmptyForm();
  }
  void TearDown() override {
    ::unsetenv("FMDRAW_WINDIR");
    fs::remove_all(root_);
  }
  void Install(const std::string& format) {
    std::ofstream(root_ / "win.ini") << "[windows]\ndevice=P,fmdraw," << (root_ / "out").string() << "\n";
    std::ofstream(root_ / "printers.ini")
        << "[P]\nPort=" << (root_ / "out").string() << "\nFormat=" << format << "\nDpi=600\n";
  }
  fs::path OnlyOutput() {
    std::vector<fs::path> files;
    for (auto& e : fs::directory_iterator(root_ / "out")) files.push_back(e.path());
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? fs::path() : files[0];
  }
  void Open() {
    OpenArguments a;
    a.formFile = form_.c_str();
    a.documentName = "two pages";
    ASSERT_EQ(OpenSession(record_.data(), a), 0);
  }
  WorkArea& Area() { return *OpenWorkArea(record_.data()); }

  fs::path root_;
  std::string form_;
  std::array<int32_t, 3> record_{};
};

TEST_F(PageCycleTest, TwoEmptyPagesMakeATwoPagePdf) {
  Install("pdf");
  Open();
  EXPECT_EQ(EndPage(Area()), 0);
  EXPECT_EQ(EndPage(Area()), -7) << "no page is open";
  ASSERT_TRUE(StartPageIfNeeded(Area()));
  EXPECT_EQ(EndPage(Area()), 0);
  EXPECT_EQ(CloseSession(record_.data(), false), 0);
  fs::path pdf = OnlyOutput();
  EXPECT_EQ(pdf.filename(), "two pages_0001.pdf");
  std::string info = RunCommand("pdfinfo '" + pdf.string() + "' 2>&1");
  EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
  EXPECT_NE(info.find("595.2 x 841.8 pts (A4)"), std::string::npos) << info;
}

TEST_F(PageCycleTest, PageStartSelectsDefaultsThenReappliesSettings) {
  Install("trace");
  Open();
  WorkArea& area = Area();
  area.drawing.line = LineSetting{0, 10};
  area.drawing.pattern = 9;
  area.drawing.textColor = 0x0000FF;
  EXPECT_EQ(EndPage(area), 0);
  ASSERT_TRUE(StartPageIfNeeded(area));
  EXPECT_TRUE(area.drawing.lineApplied);
  EXPECT_EQ(EndPage(area), 0);
  EXPECT_EQ(CloseSession(record_.data(), false), 0);
  std::ifstream in(OnlyOutput());
  std::stringstream ss;
  ss << in.rdbuf();
  std::string expected =
      "StartPage\n"
      "SelectBrush solid color=000000\n"
      "SelectPen style=0 width=1 color=000000\n"
      "SelectFont height=10 width=10 escapement=0 weight=400 italic=0 charset=128 pitchfamily=17 "
      "face=\"ＭＳ 明朝\"\n"
      "SelectPen style=0 width=4 color=0000FF\n"  // 10 -> 2 dots -> (2*600+299)/300
      "SetBkColor FFFFFF\n"
      "SelectBrush pattern=55FFAAFF55FFAAFF color=0000FF background=FFFFFF\n"
      "SetBkColor FFFFFF\n"
      "EndPage\n"
      "EndDoc\n";
  std::string trace = ss.str();
  ASSERT_GT(trace.size(), expected.size());
  EXPECT_EQ(trace.substr(trace.size() - expected.size()), expected) << trace;
}

TEST_F(PageCycleTest, MonochromePrinterDrawsBlack) {
  Install("trace");
  std::ofstream(root_ / "printers.ini", std::ios::app) << "Color=1\n";
  Open();
  WorkArea& area = Area();
  EXPECT_EQ(area.colorMode, 0);
  area.drawing.textColor = 0x0000FF;
  EXPECT_EQ(PenForLine(area, {0, 10}).color, device::kBlack);
  EXPECT_EQ(BrushForPattern(area, 8).background, device::kWhite);
  EXPECT_EQ(CloseSession(record_.data(), true), 0);
  EXPECT_FALSE(fs::exists(root_ / "out") && !fs::is_empty(root_ / "out")) << "aborted";
}

// Names, ports and formats are read without the blanks around them; a printer that gives
// no resolution prints at 600 dpi, whatever its other entries.
TEST_F(PageCycleTest, PrinterEntriesAreTrimmedAndDefaulted) {
  std::ofstream(root_ / "win.ini") << "[windows]\ndevice= \tP  , fmdraw ,x\n";
  std::ofstream(root_ / "printers.ini") << "[P]\nPort=  /tmp/out \t\nFormat= trace \nCopies=2\n";
  const auto printer = ReadDefaultPrinter(root_);
  ASSERT_TRUE(printer.has_value());
  EXPECT_EQ(printer->name, "P");
  EXPECT_EQ(printer->driver, "fmdraw");
  const auto entry = ReadPrinter(root_, "P");
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->port, "/tmp/out");
  EXPECT_EQ(entry->format, OutputFormat::kTrace);
  EXPECT_EQ(entry->dpi, 600);
  std::ofstream(root_ / "printers.ini", std::ios::app) << "Dpi=\n";
  EXPECT_EQ(ReadPrinter(root_, "P")->dpi, 600) << "an empty resolution";
}

TEST(Units, ConversionsRoundAsSpecified) {
  EXPECT_EQ(HundredthsToDots(10, 300), 1);
  EXPECT_EQ(HundredthsToDots(10, 600), 2);
  EXPECT_EQ(HundredthsToDots(2540, 600), 600);
  EXPECT_EQ(HundredthsToDots(100, 0), 0);
  EXPECT_EQ(HundredthsToDots(100, 3000000), 0) << "divisor 2540000 / dpi would be 0";
  EXPECT_EQ(DotsToHundredths(600, 600), 2542) << "(v * 2540 + 1270) / dpi";
  EXPECT_EQ(TwipsToHundredths(1440), 2540);
  EXPECT_EQ(ApplyForm(1000, 50, 7), 507);
}

}  // namespace
}  // namespace fmdraw::session
