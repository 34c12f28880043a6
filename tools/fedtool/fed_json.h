// The form tool's JSON view of a form file (docs/fedtool.md): the text part (signature,
// paper and orientation, lines 3 to 5, hanging characters, form strings, fonts) and every
// record as named fields plus its bytes in hex. Texts are UTF-8 in JSON, CP932 in the
// file. Compile(Dump(f)) gives f back except the header's random words and check value.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace fedtool {

struct DumpResult {
  int error = 0;  // 0 or a reader code
  nlohmann::ordered_json json;
};

DumpResult Dump(std::span<const uint8_t> fedBytes);

// Throws std::runtime_error naming the bad member.
std::vector<uint8_t> Compile(const nlohmann::ordered_json& form);

}  // namespace fedtool
