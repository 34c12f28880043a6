// A check of the catalog's property records before the Access file reader parses them.
// The reader walks each record by the lengths it holds; a length of zero (or one running
// past the record) makes it loop without end, allocating as it goes, so a damaged file
// would exhaust the importer's memory instead of failing with a message.
#pragma once

#include <cstddef>
#include <cstdint>

#include <glib.h>
#include <mdbtools.h>

namespace tb::jetimport {

// True when the reader can walk the property record `blob` (the LvProp value of one
// catalog row) to its end: every block, name and property entry lies within its
// enclosing block and moves the walk forward. Records the reader does not recognise
// (neither "KKD" nor "MR2") are left aside by the reader and count as sound.
bool PropertyRecordIsSound(const std::uint8_t* blob, std::size_t length);

// Reads the catalog table as the reader will and checks the property record of every
// table it lists. Throws ImportError (bad content) naming the first damaged object.
void CheckCatalogProperties(MdbHandle* mdb);

}  // namespace tb::jetimport
