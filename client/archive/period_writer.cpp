#include "client/archive/period_writer.h"

#include <sys/resource.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <vector>

#include "client/archive/archive_error.h"
#include "client/archive/archive_layout.h"
#include "client/archive/durable_files.h"
#include "client/archive/report_description.h"
#include "client/archive/sha256.h"
#include "client/core/messages.h"
#include "client/grid/doc_grid.h"
#include "client/printing/paper_size.h"
#include "client/printing/print_job.h"
#include "platform/codepage.h"
#include "platform/share_path.h"

namespace tb::archive {
namespace fs = std::filesystem;

namespace {

// The print job's working folder inside the staging folder (the printer's port).
constexpr char kPrintFolder[] = "print";

std::string Named(const Period& p) { return std::string(KindName(p.kind)) + " " + KeyOf(p); }

// Why a document may be missing: the form library reports no write error of its own, so
// the likely causes are looked up: a nearly full disk, a file size limit.
std::string WhyNoDocument(const fs::path& folder) {
  struct statvfs st{};
  if (::statvfs(folder.c_str(), &st) == 0) {
    const unsigned long long free = static_cast<unsigned long long>(st.f_bavail) * st.f_frsize;
    if (free < (4ull << 20))
      return " (No space left on device: " + std::to_string(free / 1024) + " KiB free in " + folder.string() + ")";
  }
  struct rlimit limit{};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    return " (File too large: files are limited to " + std::to_string(limit.rlim_cur) + " bytes)";
  return {};
}

// The local form file the job opens, for the message of a missing form.
std::string FormFileOf(const ClientState& s) {
  const auto paper = print::FindPaperSize(s.gPaperSize, print::PrintJobKind::kRange);
  if (!paper) return "the range print has no form for the paper size \"" + s.gPaperSize + "\"; it prints A3 and A4";
  const std::string share = s.gServerFolder + "\\TB_Format\\" + print::FormFileName(s.gReportKind, paper->formSuffix);
  const auto local = platform::ResolveSharePath(share, s.env.shareRoot);
  return "form file " + (local ? local->string() : share);
}

// Any message the client showed means the report could not be made as a person would
// have got it: the period fails.
void FailOnMessages(const WriterParts& w, const Period& p, std::string_view step) {
  const auto messages = w.host.TakeMessages();
  if (messages.empty()) return;
  std::string text = Named(p) + ": " + std::string(step) + " showed \"" + messages.front() + "\"";
  if (messages.front() == msg::kFormFileMissing || messages.front().starts_with(msg::kPrinterErrorPrefix))
    text += " (" + FormFileOf(w.state) + ")";
  throw ArchiveError(text);
}

// A PDF document ends with its trailer's "%%EOF" line. The form library's PDF writer does
// not see every write error at the end of a document (a full disk or a size limit while
// it finishes the file), so a cut document is caught here, before it is archived.
bool IsCompletePdf(const fs::path& pdf) {
  const std::string bytes = ReadTail(pdf, 64);
  std::string_view tail(bytes);
  while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r' || tail.back() == ' ')) tail.remove_suffix(1);
  return tail.ends_with("%%EOF");
}

// The report printed through the range print's job into one PDF, <stem>.pdf.
void StagePdf(const WriterParts& w, const Period& p, const fs::path& staging, const std::string& stem) {
  const fs::path printed = staging / kPrintFolder;
  fs::create_directory(printed);
  w.printer.PrintInto(printed);
  try {
    print::PrintReportPeriod(w.state, w.host, p.date);
  } catch (const std::exception& e) {
    (void)w.host.TakeMessages();
    throw ArchiveError(Named(p) + ": the print job failed: " + e.what());
  }
  // The range print closes the data connection after its last period.
  if (w.state.gDataCn) w.state.gDataCn->Close();
  w.state.gDataCn.reset();
  FailOnMessages(w, p, "printing");
  std::vector<fs::path> pdfs;
  for (const auto& e : fs::directory_iterator(printed))
    if (e.path().extension() == ".pdf" && !e.path().filename().string().starts_with(".")) pdfs.push_back(e.path());
  if (pdfs.size() != 1) {
    throw ArchiveError(Named(p) + ": the form library delivered " + std::to_string(pdfs.size()) +
                       " documents instead of one" + WhyNoDocument(staging));
  }
  if (!IsCompletePdf(pdfs.front()))
    throw ArchiveError(Named(p) + ": the form library wrote an incomplete PDF" + WhyNoDocument(staging));
  SyncPath(pdfs.front());
  Rename(pdfs.front(), staging / (stem + ".pdf"));
  RemoveTree(printed);
}

// The CSV of every printed page, as the grid page's export writes it, in <stem>/.
int StageCsvs(const WriterParts& w, const Period& p, const fs::path& folder) {
  fs::create_directory(folder);
  const auto pages = PrintedPages(w.state, w.host);
  FailOnMessages(w, p, "the pages to print");
  int written = 0;
  for (const int page : pages) {
    w.state.gCurrentPage = static_cast<std::int16_t>(page);
    DocGrid grid(w.state, w.host);
    grid.Timer1_Timer();
    FailOnMessages(w, p, "the grid page of page " + std::to_string(page));
    WriteFileDurably(folder / grid.DefaultCsvName(), platform::Utf8ToCp932(grid.CsvText()));
    ++written;
  }
  SyncPath(folder);
  return written;
}

// Manifest lines for every file staged (the staging folder's entries, recursively).
std::vector<ManifestEntry> EntriesOf(const WriterParts& w, const Period& p, int version,
                                     const fs::path& staging, const std::string& data) {
  std::vector<ManifestEntry> entries;
  const std::string written = w.writtenAt();
  for (auto it = fs::recursive_directory_iterator(staging); it != fs::recursive_directory_iterator(); ++it) {
    if (!it->is_regular_file()) continue;
    const auto digest = DigestOfFile(it->path());
    const std::string rel = it->path().lexically_relative(staging).generic_string();
    std::string type = it->path().extension().string();
    if (!type.empty()) type.erase(0, 1);
    entries.push_back({KeyOf(p), version, type, rel, digest.bytes, digest.sha256, data, written});
  }
  // The PDF first, then the page files in name order.
  std::sort(entries.begin(), entries.end(), [](const ManifestEntry& a, const ManifestEntry& b) {
    return std::make_pair(a.type != "pdf", a.file) < std::make_pair(b.type != "pdf", b.file);
  });
  return entries;
}

void TakeBack(const std::vector<fs::path>& placed) {
  for (const auto& p : placed) {
    std::error_code ec;
    fs::remove_all(p, ec);
  }
}

// Moves every staged entry into the period's folder (folders before files, so the PDF
// appears last) and flushes the folder. Returns what was placed; on a failure takes it
// back.
std::vector<fs::path> Publish(const fs::path& staging, const fs::path& folder, const Manifest& manifest) {
  std::vector<fs::path> staged;
  for (const auto& e : fs::directory_iterator(staging)) staged.push_back(e.path());
  std::sort(staged.begin(), staged.end(), [](const fs::path& a, const fs::path& b) {
    return std::make_pair(!fs::is_directory(a), a) < std::make_pair(!fs::is_directory(b), b);
  });
  for (const auto& from : staged) {
    const std::string name = from.filename().string();
    for (const auto& e : manifest.Entries())
      if (!e.NoData() && (e.file == name || e.file.starts_with(name + "/")))
        throw ArchiveError("refusing to replace the archived " + (folder / name).string());
  }
  std::vector<fs::path> placed;
  try {
    for (const auto& from : staged) {
      const fs::path to = folder / from.filename();
      // Left by a run that was stopped before its manifest was written: not archived yet.
      if (fs::is_directory(from) && fs::exists(to)) RemoveTree(to);
      Rename(from, to);
      placed.push_back(to);
    }
    SyncPath(folder);
  } catch (...) {
    TakeBack(placed);
    throw;
  }
  return placed;
}

PeriodOutcome WriteVersion(const WriterParts& w, const Period& p, int version, const std::string& data,
                           const fs::path& staging) {
  const fs::path folder = ManifestFolder(p);
  const std::string stem = VersionStem(p, version);
  DescribePeriod(w.state, w.host, p);
  FailOnMessages(w, p, "reading the report layout");
  StagePdf(w, p, staging, stem);
  PeriodOutcome out;
  out.version = version;
  out.pdf = (folder / (stem + ".pdf")).generic_string();
  out.csvFiles = StageCsvs(w, p, staging / stem);
  if (w.data.Read(p).fingerprint != data)
    throw DataChangedWhileWriting(Named(p) + ": the period's data changed while it was archived");
  auto entries = EntriesOf(w, p, version, staging, data);
  const auto placed = Publish(staging, w.root / folder, w.manifests.Get(folder));
  try {
    w.manifests.Append(folder, std::move(entries));
  } catch (...) {
    TakeBack(placed);
    throw;
  }
  return out;
}

}  // namespace

PeriodOutcome WritePeriod(const WriterParts& w, const Period& p) {
  const fs::path folder = ManifestFolder(p);
  const auto rows = w.data.Read(p);
  const auto state = w.manifests.Get(folder).StateOf(KeyOf(p));
  MakeFolders(w.root / folder);
  if (rows.count == 0) {
    w.manifests.Append(folder, {{KeyOf(p), 0, std::string(kNoDataType), "-", 0, "-", rows.fingerprint, w.writtenAt()}});
    return {.noData = true};
  }
  const fs::path staging = w.root / folder / kStagingFolder;
  RemoveTree(staging);
  try {
    fs::create_directory(staging);
    auto out = WriteVersion(w, p, (state ? state->version : 0) + 1, rows.fingerprint, staging);
    RemoveTree(staging);
    return out;
  } catch (...) {
    (void)w.host.TakeMessages();
    std::error_code ec;
    fs::remove_all(staging, ec);
    throw;
  }
}

}  // namespace tb::archive
