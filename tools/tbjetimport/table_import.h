// Copies one user table of an open Access file into the SQLite target: the table with its
// columns (names as they are, types by SqliteColumnType), every row, then the file's
// indexes on it (so that lookups run as fast as on a native database).
#pragma once

#include <glib.h>
#include <mdbtools.h>

#include <cstddef>

#include "tools/tbjetimport/sqlite_target.h"

namespace tb::jetimport {

// Returns the number of rows copied. Throws ImportError when the table cannot be read,
// and with kExitRowsMissing when fewer rows were read than the table definition holds.
std::size_t ImportTable(MdbCatalogEntry* entry, SqliteTarget& target, int tableNumber);

}  // namespace tb::jetimport
