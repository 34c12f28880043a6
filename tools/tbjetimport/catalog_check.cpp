#include "tools/tbjetimport/catalog_check.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "tools/tbjetimport/sqlite_target.h"

namespace tb::jetimport {
namespace {

std::uint32_t Get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) {
  return Get16(p) | (static_cast<std::uint32_t>(Get16(p + 2)) << 16);
}

// The list of property names: a two-byte length and the name's bytes, repeated.
bool NamesAreSound(const std::uint8_t* block, std::size_t length, std::size_t* count) {
  std::size_t pos = 0;
  *count = 0;
  while (pos < length) {
    if (length - pos < 2) return false;
    const std::size_t nameLength = Get16(block + pos);
    pos += 2;
    if (nameLength > length - pos) return false;
    pos += nameLength;
    ++*count;
  }
  return true;
}

// One object's properties: a six-byte head with the length of the block's name, the
// name, then entries of an eight-byte head (entry length, type, name number, value
// length) and the value. The reader stops by itself at an entry whose name number or
// value does not fit, so only the entry lengths it moves by need to be sound.
bool PropertiesAreSound(const std::uint8_t* block, std::size_t length, std::size_t names) {
  constexpr std::size_t kHead = 6, kEntryHead = 8;
  if (length < kHead) return false;
  const std::size_t nameLength = Get16(block + 4);
  if (nameLength > length - kHead) return false;
  std::size_t pos = kHead + nameLength;
  while (pos < length) {
    if (length - pos < kEntryHead) return false;
    const std::size_t entryLength = Get16(block + pos);
    const std::size_t nameNumber = Get16(block + pos + 4);
    const std::size_t valueLength = Get16(block + pos + 6);
    if (nameNumber >= names || valueLength > length - pos - kEntryHead) return true;
    if (entryLength < kEntryHead || entryLength > length - pos) return false;
    pos += entryLength;
  }
  return true;
}

}  // namespace

bool PropertyRecordIsSound(const std::uint8_t* blob, std::size_t length) {
  constexpr std::size_t kFormat = 4, kBlockHead = 6;
  if (length < kFormat) return false;
  if (std::memcmp(blob, "KKD", 4) != 0 && std::memcmp(blob, "MR2", 4) != 0) return true;
  std::size_t pos = kFormat;
  bool haveNames = false;
  std::size_t names = 0;
  while (pos < length) {
    if (length - pos < kBlockHead) return false;
    const std::size_t blockLength = Get32(blob + pos);
    const std::uint32_t type = Get16(blob + pos + 4);
    if (blockLength < kBlockHead || blockLength > length - pos) return false;
    const std::uint8_t* body = blob + pos + kBlockHead;
    const std::size_t bodyLength = blockLength - kBlockHead;
    if (type == 0x80) {
      if (!NamesAreSound(body, bodyLength, &names)) return false;
      haveNames = true;
    } else if (type <= 0x02 && haveNames) {
      if (!PropertiesAreSound(body, bodyLength, names)) return false;
    }
    pos += blockLength;
  }
  return true;
}

void CheckCatalogProperties(MdbHandle* mdb) {
  // The catalog is the table on page 2; the reader opens it through an entry like this.
  MdbCatalogEntry catalog{};
  catalog.mdb = mdb;
  catalog.object_type = MDB_TABLE;
  catalog.table_pg = 2;
  std::strcpy(catalog.object_name, "MSysObjects");
  std::unique_ptr<MdbTableDef, decltype(&mdb_free_tabledef)> table(mdb_read_table(&catalog),
                                                                   &mdb_free_tabledef);
  if (!table) throw ImportError(kExitBadContent, "catalog unreadable");
  mdb_read_columns(table.get());
  char name[MDB_BIND_SIZE] = {};
  char type[MDB_BIND_SIZE] = {};
  char props[MDB_BIND_SIZE] = {};
  int propsLength = 0;
  const int propsColumn = mdb_bind_column_by_name(table.get(), const_cast<gchar*>("LvProp"), props,
                                                  &propsLength);
  if (mdb_bind_column_by_name(table.get(), const_cast<gchar*>("Name"), name, nullptr) == -1 ||
      mdb_bind_column_by_name(table.get(), const_cast<gchar*>("Type"), type, nullptr) == -1 ||
      propsColumn == -1) {
    return;  // the reader refuses such a catalog itself, before any property record
  }
  auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, propsColumn - 1));
  mdb_rewind_table(table.get());
  while (mdb_fetch_row(table.get())) {
    // The reader parses the records of the objects it is asked for: the tables.
    if (std::atoi(type) != MDB_TABLE || propsLength == 0) continue;
    std::size_t length = 0;
    std::unique_ptr<void, decltype(&std::free)> blob(mdb_ole_read_full(mdb, column, &length), &std::free);
    if (blob && !PropertyRecordIsSound(static_cast<const std::uint8_t*>(blob.get()), length)) {
      throw ImportError(kExitBadContent, std::string("catalog: damaged property record of ") + name);
    }
  }
}

}  // namespace tb::jetimport
