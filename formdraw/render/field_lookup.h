// Finding a data or list field of the current form by name, and collecting its format
// from the record and the records that continue it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "formdraw/session/work_area.h"

namespace fd::render {

struct FoundField {
  int index = 0;
  std::span<const std::uint8_t> record;  // 92 bytes
  std::string format;                    // CP932, continuation records included
};

// Data fields (kind 6) continue with byte 27 and mark a used continuation with byte 25;
// list fields (kind 9) with bytes 31 and 29. The name is compared with the record's
// 20 NUL-padded name bytes.
[[nodiscard]] std::optional<FoundField> FindDataField(const fmdraw::session::WorkArea& area,
                                                      std::string_view name);
[[nodiscard]] std::optional<FoundField> FindListField(const fmdraw::session::WorkArea& area,
                                                      std::string_view name);

}  // namespace fd::render
