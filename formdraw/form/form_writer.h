// Writing form files: the binary header with its random words and check value, the
// record arrays, and (for the form tool) the text part. The writer mirrors the readers:
// ParseTextPart(BuildTextPart(t)) gives t back.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formdraw/form/binary_part.h"
#include "formdraw/form/form_data.h"

namespace fmdraw::form {

// Six fresh values 0..32767 from the system's random source.
std::array<int16_t, kHeaderRandomWords> FreshRandomWords();

std::vector<uint8_t> BuildHeader(std::span<const int16_t> counts12,
                                 const std::array<int16_t, kHeaderRandomWords>& random,
                                 int variant);

// Header and arrays (the binary part). `arrays[k]` must hold counts[k] records.
std::vector<uint8_t> BuildBinaryPart(std::span<const int16_t> counts12,
                                     const std::array<const uint8_t*, kFileKinds>& arrays,
                                     const std::array<int16_t, kHeaderRandomWords>& random,
                                     int variant);

// A record field, inside double quotes when it holds a comma.
std::string QuoteField(const std::string& value);

// The text part with CR LF line ends, ending with the "99" line: the record lines as
// given in `recordLines`, or (when that is empty) made from the parsed values.
std::string BuildTextPart(const TextPart& text);

// A complete file for `form` (whose font references hold identifiers).
std::vector<uint8_t> BuildFormFile(const FormData& form,
                                   const std::array<int16_t, kHeaderRandomWords>& random);

}  // namespace fmdraw::form
