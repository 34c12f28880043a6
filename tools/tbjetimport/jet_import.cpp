#include "tools/tbjetimport/jet_import.h"

#include <glib.h>
#include <mdbtools.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include <strings.h>

#include "tools/tbjetimport/catalog_check.h"
#include "tools/tbjetimport/jet_values.h"
#include "tools/tbjetimport/sqlite_target.h"
#include "tools/tbjetimport/table_import.h"

namespace tb::jetimport {
namespace {

using HandlePtr = std::unique_ptr<MdbHandle, decltype(&mdb_close)>;

HandlePtr OpenJet(const std::filesystem::path& source) {
  HandlePtr mdb(mdb_open(source.c_str(), MDB_NOFLAGS), &mdb_close);
  if (!mdb) throw ImportError(kExitCannotOpen, "not a readable Access file: " + source.string());
  // A Jet file is made of whole pages; anything else was cut short (a copy in progress).
  std::error_code ec;
  const auto size = std::filesystem::file_size(source, ec);
  if (ec || size % static_cast<std::uintmax_t>(mdb->fmt->pg_size) != 0) {
    throw ImportError(kExitCannotOpen, "not made of whole pages: " + source.string());
  }
  return mdb;
}

// Jet 3 files hold texts in the code page of the machine that wrote them; the library
// reads that choice from the environment when it sets up its converters, so the choice
// is made here from the file's header and the converters are set up again.
void ChooseTextEncoding(MdbHandle* mdb) {
  if (!IS_JET3(mdb)) return;
  const char* explicitChoice = std::getenv("MDB_JET3_CHARSET");
  const std::string charset =
      Jet3Charset(explicitChoice ? explicitChoice : "", mdb->f->code_page, mdb->f->lang_id);
  setenv("MDB_JET3_CHARSET", charset.c_str(), 1);
  mdb_iconv_close(mdb);
  mdb_iconv_init(mdb);
}

bool IsUserTable(const MdbCatalogEntry* entry) {
  return entry->object_type == MDB_TABLE && strncasecmp(entry->object_name, "MSys", 4) != 0 &&
         !mdb_is_system_table(const_cast<MdbCatalogEntry*>(entry));
}

std::vector<MdbCatalogEntry*> UserTables(MdbHandle* mdb) {
  CheckCatalogProperties(mdb);
  if (!mdb_read_catalog(mdb, MDB_TABLE)) {
    throw ImportError(kExitBadContent, "catalog unreadable");
  }
  std::vector<MdbCatalogEntry*> tables;
  bool hasObjectList = false;  // every Jet file lists its own object table
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    hasObjectList = hasObjectList || strcasecmp(entry->object_name, "MSysObjects") == 0;
    if (IsUserTable(entry)) tables.push_back(entry);
  }
  if (!hasObjectList) throw ImportError(kExitBadContent, "catalog lists no system tables");
  return tables;
}

}  // namespace

void ImportJetFile(const std::filesystem::path& source, const std::filesystem::path& target) {
  HandlePtr mdb = OpenJet(source);
  ChooseTextEncoding(mdb.get());
  const std::vector<MdbCatalogEntry*> tables = UserTables(mdb.get());
  SqliteTarget sqlite(target);
  int number = 0;
  for (MdbCatalogEntry* entry : tables) ImportTable(entry, sqlite, number++);
  sqlite.Commit();
}

}  // namespace tb::jetimport
