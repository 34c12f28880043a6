// Memo and OLE values ("long values"): a 12-byte reference in the row that either holds
// the bytes itself or points to one or a chain of long-value pages. Read here in full,
// without the bind-size cut, and checked against the length the reference states.
#pragma once

#include <glib.h>
#include <mdbtools.h>

#include <cstddef>
#include <string>

namespace tb::jetimport {

// Longest long value accepted; a longer stated length marks a damaged file.
inline constexpr std::size_t kMaxLongValue = 256u << 20;

// The raw bytes of the long value whose reference lies at `start` (`size` bytes) on the
// current row page. Throws ImportError when the chain is broken or the length disagrees.
[[nodiscard]] std::string ReadLongValue(MdbHandle* mdb, int start, int size);

// A text column's raw bytes (UCS-2 or compressed in Jet 4, the file's code page in Jet 3)
// as UTF-8.
[[nodiscard]] std::string JetTextToUtf8(MdbHandle* mdb, const char* bytes, std::size_t size);

}  // namespace tb::jetimport
