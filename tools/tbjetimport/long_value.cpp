#include "tools/tbjetimport/long_value.h"

#include <cstdint>
#include <vector>

#include "tools/tbjetimport/sqlite_target.h"

namespace tb::jetimport {
namespace {

constexpr int kReferenceSize = MDB_MEMO_OVERHEAD;  // length+flags, page/row, unused
constexpr std::uint32_t kInline = 0x80000000u;
constexpr std::uint32_t kSinglePage = 0x40000000u;
constexpr std::uint32_t kLengthMask = 0x3fffffffu;

[[noreturn]] void Broken(const char* what) {
  throw ImportError(kExitBadContent, std::string("long value: ") + what);
}

// One row of a long-value page (its bytes are copied: the page buffer is reused).
std::string LongValueRow(MdbHandle* mdb, std::uint32_t pageRow) {
  void* buf = nullptr;
  int rowStart = 0;
  size_t length = 0;
  if (mdb_find_pg_row(mdb, static_cast<int>(pageRow), &buf, &rowStart, &length) != 0 ||
      rowStart < 0 || rowStart + length > static_cast<size_t>(mdb->fmt->pg_size)) {
    Broken("page reference outside the file");
  }
  return std::string(static_cast<const char*>(buf) + rowStart, length);
}

// A chain of pages, each row starting with the reference of the next row.
std::string ReadChain(MdbHandle* mdb, std::uint32_t pageRow, std::size_t length) {
  std::string bytes;
  bytes.reserve(length);
  while (pageRow >> 8) {
    std::string row = LongValueRow(mdb, pageRow);
    if (row.size() < 4) Broken("chain row too short");
    bytes.append(row, 4, std::string::npos);
    if (bytes.size() > length) Broken("chain longer than stated");
    pageRow = static_cast<std::uint32_t>(mdb_get_int32(row.data(), 0));
  }
  return bytes;
}

}  // namespace

std::string ReadLongValue(MdbHandle* mdb, int start, int size) {
  if (size < kReferenceSize) Broken("reference too short");
  const auto head = static_cast<std::uint32_t>(mdb_get_int32(mdb->pg_buf, start));
  const std::size_t length = head & kLengthMask;
  if (length > kMaxLongValue) Broken("stated length too large");
  std::string bytes;
  if (head & kInline) {
    bytes.assign(reinterpret_cast<const char*>(mdb->pg_buf) + start + kReferenceSize,
                 static_cast<std::size_t>(size - kReferenceSize));
  } else if (head & kSinglePage) {
    bytes = LongValueRow(mdb, static_cast<std::uint32_t>(mdb_get_int32(mdb->pg_buf, start + 4)));
  } else if ((head & 0xff000000u) == 0) {
    bytes = ReadChain(mdb, static_cast<std::uint32_t>(mdb_get_int32(mdb->pg_buf, start + 4)),
                      length);
  } else {
    Broken("unknown reference flags");
  }
  if (bytes.size() < length) Broken("value shorter than stated");
  bytes.resize(length);
  return bytes;
}

std::string JetTextToUtf8(MdbHandle* mdb, const char* bytes, std::size_t size) {
  if (size == 0) return {};
  // UTF-8 takes at most three bytes per UCS-2 unit or per code-page byte; the converter
  // may write one replacement mark and the final NUL past what it counts.
  std::vector<char> out(3 * size + 16);
  const int written = mdb_unicode2ascii(mdb, bytes, size, out.data(), out.size() - 8);
  if (written < 0) Broken("text conversion failed");
  return std::string(out.data(), static_cast<std::size_t>(written));
}

}  // namespace tb::jetimport
