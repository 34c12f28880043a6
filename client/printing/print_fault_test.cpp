// Print jobs under faults. The printer's disk fills up while the PDF is written: the job
// fails with the printer error, leaves no partial document behind and offers none, and
// the next job prints once there is room again. A database file goes bad between or
// during the jobs of a range: each job that cannot read it says so, none hangs, and the
// next range prints whole once the file is back.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "client/core/database_fault.h"
#include "client/core/messages.h"
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

using ::tb::testing::DbFault;
using ::tb::testing::InjectedDbFault;

struct RangeFaultCase {
  bool layout;         // the layout database, else the data database
  bool duringFirstJob;  // after the first job has read its page, else before the range
  DbFault fault;
  std::vector<std::string_view> messages;
  std::size_t printed;  // documents of the two-day range
};

class RangePrintFault : public DiskFull, public ::testing::WithParamInterface<RangeFaultCase> {};

TEST_P(RangePrintFault, JobsThatCannotReadSaySoAndTheNextRangePrintsWhole) {
  const auto& c = GetParam();
  InjectedDbFault fault(c.layout ? share.LayoutDb() : share.DataDb(), c.fault);
  if (c.duringFirstJob) {
    // The first item row of the first page: its layout queries and values are read.
    host.onDoEvents = [&, calls = 0]() mutable {
      if (++calls == 2) fault.Inject();
    };
  } else {
    fault.Inject();
  }
  const auto start = std::chrono::steady_clock::now();
  RangePrintHook()(s, host, {2026, 1, 31, 2026, 2, 1});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
  const std::vector<std::string> expected(c.messages.begin(), c.messages.end());
  EXPECT_EQ(host.MessageTexts(), expected);
  EXPECT_EQ(host.printedDocuments.size(), c.printed);
  EXPECT_EQ(FilesInPrinterFolder().size(), c.printed) << "no partial or temporary file";
  EXPECT_EQ(s.gPrintSession, (decltype(s.gPrintSession){}));
  EXPECT_FALSE(s.gDataCn);
  EXPECT_FALSE(s.gKanriCn);

  host.onDoEvents = nullptr;
  fault.Undo();
  host.messages.clear();
  host.printedDocuments.clear();
  RangePrintHook()(s, host, {2026, 1, 31, 2026, 2, 1});
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.printedDocuments.size(), 2u);

}

constexpr std::string_view kLost = msg::kDatabaseUnreachable;

// Before the range, every job stops at its first query with the message. During the
// first job, that job prints what it has read; the layout database is opened anew for
// each query, so the second job meets the fault; the data database stays open over the
// range, so a file that vanished or was replaced under it is still read whole.
INSTANTIATE_TEST_SUITE_P(
    EveryFault, RangePrintFault,
    ::testing::Values(RangeFaultCase{true, false, DbFault::kVanished, {kLost, kLost}, 0},
                      RangeFaultCase{true, false, DbFault::kTruncated, {kLost, kLost}, 0},
                      RangeFaultCase{true, false, DbFault::kReplacedByTruncated, {kLost, kLost}, 0},
                      RangeFaultCase{true, false, DbFault::kLocked, {kLost, kLost}, 0},
                      RangeFaultCase{true, true, DbFault::kVanished, {kLost}, 1},
                      RangeFaultCase{true, true, DbFault::kLocked, {kLost}, 1},
                      RangeFaultCase{false, false, DbFault::kVanished, {kLost, kLost}, 0},
                      RangeFaultCase{false, false, DbFault::kTruncated, {kLost, kLost}, 0},
                      RangeFaultCase{false, false, DbFault::kLocked, {kLost, kLost}, 0},
                      RangeFaultCase{false, true, DbFault::kVanished, {}, 2},
                      RangeFaultCase{false, true, DbFault::kTruncated, {kLost}, 1},
                      RangeFaultCase{false, true, DbFault::kReplacedByTruncated, {}, 2},
                      RangeFaultCase{false, true, DbFault::kLocked, {kLost}, 1}),
    [](const ::testing::TestParamInfo<RangeFaultCase>& param) {
      std::string name = std::string(param.param.layout ? "layout_" : "data_") +
                         ::tb::testing::DbFaultName(param.param.fault) +
                         (param.param.duringFirstJob ? "_during_the_range" : "_before_the_range");
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

}  // namespace
}  // namespace tb::print
