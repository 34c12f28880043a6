// Print jobs when the printer's disk fills up while the PDF is written: the job fails
// with the printer error, leaves no partial document behind and offers none, and the
// next job prints once there is room again.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "client/printing/page_hooks.h"
#include "client/printing/print_folder_fixture.h"
#include "client/printing/print_job.h"

namespace tb::print {
namespace {

namespace fs = std::filesystem;

// The printer's folder on a disk that is almost full: a small tmpfs of its own, mounted
// in a mount namespace private to this thread (gone with the process), where the machine
// allows mounting; otherwise a file-size limit on the process, which fails writes past it
// as a full disk does.
class FullDisk {
 public:
  explicit FullDisk(const fs::path& folder) : folder_(folder) {
    if (::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") == 0) {
      tmpfs_ = true;
      return;
    }
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = 16 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FullDisk() { MakeRoom(); }
  void MakeRoom() {
    if (tmpfs_) ::mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT, "size=8m");
    else ::setrlimit(RLIMIT_FSIZE, &saved_);
  }
  [[nodiscard]] bool Tmpfs() const { return tmpfs_; }

 private:
  fs::path folder_;
  bool tmpfs_ = false;
  rlimit saved_{};
};

class DiskFull : public testing::PrintToFolder {
 protected:
  std::vector<std::string> FilesInPrinterFolder() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(out)) names.push_back(e.path().filename().string());
    return names;
  }
};

TEST_F(DiskFull, RangeJobFailsWithThePrinterErrorLeavesNothingAndTheNextJobPrints) {
  FullDisk disk(out);
  SCOPED_TRACE(disk.Tmpfs() ? "tmpfs of 16 KiB" : "file-size limit of 16 KiB");
  RangePrintHook()(s, host, {2026, 1, 31, 2026, 1, 31});
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "プリンタエラー　エラーNO:-5");
  EXPECT_EQ(host.messages[0].icon, MsgBoxIcon::kExclamation);
  EXPECT_TRUE(FilesInPrinterFolder().empty()) << "no partial or temporary file";
  EXPECT_TRUE(host.printedDocuments.empty()) << "nothing offered";
  EXPECT_EQ(s.gPrintSession, (decltype(s.gPrintSession){})) << "the session is closed";

  disk.MakeRoom();
  host.messages.clear();
  RangePrintHook()(s, host, {2026, 2, 1, 2026, 2, 1});
  EXPECT_TRUE(host.messages.empty());
  ASSERT_EQ(host.printedDocuments.size(), 1u);
  std::string text = testing::Shell("pdftotext '" + host.printedDocuments[0].string() + "' -");
  std::erase_if(text, [](char c) { return c == ' ' || c == '\n'; });
  EXPECT_NE(text.find("1日日曜日"), std::string::npos) << text;
  EXPECT_EQ(FilesInPrinterFolder().size(), 1u);
}

TEST_F(DiskFull, PagePrintFailsWithThePrinterError) {
  FullDisk disk(out);
  struct Grid : GridPageView {
    std::string CellText(int row, int col) const override {
      return row > 3 && col > 0 ? std::to_string(row * 100 + col) : std::string();
    }
    Colour CellForeColour(int, int) const override { return kBlack; }
    std::string PeriodCaption() const override { return "2026年 2月 1日 日曜日"; }
    std::string PageTitle() const override { return "取水・沈殿池"; }
    void SetGridVisible(bool) override {}
  } grid;
  host.msgBoxAnswers.push_back(MsgBoxResult::kYes);
  PrintGridPage(s, host, grid);
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[1].text, "プリンタエラー　エラーNO:-5");
  EXPECT_TRUE(FilesInPrinterFolder().empty());
  EXPECT_EQ(host.statusText, "");
}

}  // namespace
}  // namespace tb::print
