// Writes one version of one period into the archive: the period's report printed by the
// range print's job into one PDF, the CSV of every page listed for printing exactly as
// the grid page exports it, both made in a staging folder beside their final place,
// flushed, renamed into place, and then recorded in the folder's manifest. A period
// without rows is recorded as such and gets no file.
//
// Order of the steps, so that a kill at any moment loses nothing: (1) everything is made
// in <folder>/.tbarchive-staging; (2) the CSV folder and then the PDF are renamed into
// place; (3) the manifest is replaced. Files that reached their place but not the
// manifest (a kill between 2 and 3) carry the names of the version still due, so the
// next run replaces them. A failure in (3) takes back what (2) placed.
//
// Further outputs (a workbook beside the PDF, for example) are staged as one more file or
// folder named after the version stem inside the staging folder: publishing and the
// manifest take every staged entry as they are. Not thread-safe.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "client/archive/archive_error.h"
#include "client/archive/archive_host.h"
#include "client/archive/archive_printer.h"
#include "client/archive/manifest_store.h"
#include "client/archive/period_calendar.h"
#include "client/archive/period_data.h"
#include "client/core/client_state.h"

namespace tb::archive {

struct PeriodOutcome {
  bool noData = false;
  int version = 0;
  std::string pdf;   // relative to the archive root
  int csvFiles = 0;
};

// The period's data changed while its files were made; the caller may try again.
class DataChangedWhileWriting : public ArchiveError {
 public:
  using ArchiveError::ArchiveError;
};

struct WriterParts {
  ClientState& state;        // settings read; form library bound
  ArchiveHost& host;
  PeriodData& data;
  ArchivePrinter& printer;
  ManifestStore& manifests;
  std::filesystem::path root;
  std::function<std::string()> writtenAt;  // the "written" text of new manifest lines
};

// Writes the next version of `p` (or its no-data line). Throws ArchiveError; nothing is
// left in the staging folder and the manifest is unchanged when it does.
PeriodOutcome WritePeriod(const WriterParts& w, const Period& p);

}  // namespace tb::archive
