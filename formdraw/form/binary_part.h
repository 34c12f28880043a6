// The binary part of a form file: the 40-byte header (record counts, random words, check
// value) and the twelve record arrays after it. Scanning checks the header; reading
// copies the arrays and rewrites font references from identifiers to table positions.
// Pure functions over byte spans; the caller owns every buffer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "formdraw/form/form_format.h"
#include "formdraw/form/text_part.h"

namespace fmdraw::form {

using Counts = std::array<int16_t, kAllKinds>;

// The check value of a header: the sum of its first 19 words (signed) modulo divisor,
// with the sign of the sum (truncating division).
int16_t HeaderCheckValue(std::span<const uint8_t> header38, int divisor);
inline int CheckDivisor(int variant) {
  return variant == 0 ? kCheckDivisor : kCheckDivisorAlternative;
}

struct ScanResult {
  int error = 0;  // 0, kErrFile, kErrShortHeader, kErrCheck
  Counts counts{};  // 12 record counts and the number of font lines
  std::size_t recordsOffset = 0;  // the byte after the header
  TextPart text;
};

// Reads the text part and checks the header (what the exported counter does).
ScanResult ScanForm(std::span<const uint8_t> file, int variant);

// Copies the arrays that start at `offset` into `dest` (count x record size bytes each;
// a null destination is skipped over). Returns 0, or kErrFile when the file is short or
// a count is negative.
int ReadArrays(std::span<const uint8_t> file, std::size_t offset,
               std::span<const int16_t> counts12, const std::array<uint8_t*, kFileKinds>& dest);

// Rewrites the font references of `count` records of `kind` (texts, data and list
// fields) from identifier to position in `fonts`; an identifier that no entry has becomes
// -1, so a renderer never picks an unrelated entry.
void RewriteFontReferences(int kind, uint8_t* records, int count,
                           const std::vector<FontLine>& fonts);

// The 38-byte font table entry of the renderer and callers.
void WriteFontEntry38(const FontLine& font, uint8_t* entry38);

}  // namespace fmdraw::form
