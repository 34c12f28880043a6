#include "formdraw/fields/browse_calls.h"

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "formdraw/fields/browse_file.h"
#include "formdraw/form/file_search.h"

namespace fmdraw::fields {

namespace {

bool Missing(const char* s) { return s == nullptr || *s == '\0'; }

std::optional<std::vector<uint8_t>> ReadSource(const char* name) {
  return form::ReadNamedFile(name);
}

bool WriteTarget(const char* name, const std::string& text) {
  std::ofstream out(form::CreatableName(name), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int32_t BrowseGetForm(const char* sourceFile, int32_t formIndex, const char* targetFile) {
  if (Missing(sourceFile) || Missing(targetFile) || formIndex < 0) return kBrowseBadArgument;
  auto bytes = ReadSource(sourceFile);
  if (!bytes) return kBrowseCorrupt;
  BrowseListing listing = ListBrowseItems(*bytes, formIndex);
  if (listing.error != 0) return listing.error;
  if (!WriteTarget(targetFile, listing.text)) return kBrowseWriteFailed;
  return listing.lines;
}

int32_t BrowseGetData(const char* sourceFile, int32_t formIndex, const char* itemName,
                      bool wantSubItem, const char* subItemName, char* dataOut) {
  if (Missing(sourceFile) || itemName == nullptr || dataOut == nullptr ||
      (wantSubItem && subItemName == nullptr))
    return kBrowseBadArgument;
  auto bytes = ReadSource(sourceFile);
  if (!bytes) return kBrowseCorrupt;
  const std::string_view sub = wantSubItem ? std::string_view(subItemName) : std::string_view{};
  BrowseData found = FindBrowseData(*bytes, formIndex, itemName, wantSubItem ? &sub : nullptr);
  if (found.result != kBrowseFound) return found.result;
  std::memcpy(dataOut, found.data.data(), found.data.size());
  dataOut[found.data.size()] = '\0';
  return kBrowseFound;
}

}  // namespace fmdraw::fields
