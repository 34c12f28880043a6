// The form-information getters: version from the signature line, paper size and
// orientation from line 2, the form strings 4 to 6 from the 301..303 records.
// Pure functions over the file's bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fmdraw::form {

// 1 for a "formeditor" signature, 2 to 4 for a version digit, -2 for an unknown
// signature word, -3 for another digit.
int SignatureVersion(std::string_view line1);
int FormVersion(std::span<const uint8_t> file);
int FormPaperSize(std::span<const uint8_t> file);
int FormOrientation(std::span<const uint8_t> file);

// Form string of kind 4, 5 or 6 (records 301, 302, 303), decoded; empty when the search
// reaches a font line or "99" first.
std::string FormString(std::span<const uint8_t> file, int kind);

}  // namespace fmdraw::form
