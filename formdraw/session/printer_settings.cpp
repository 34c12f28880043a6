#include "formdraw/session/printer_settings.h"

#include <utility>

namespace fmdraw::session {

void ApplyMasked(const SettingsBlock& block, PrinterValues& values) {
  for (int i = 0; i < kSettingCount; ++i)
    if (block.mask & kSettingMaskBit[i]) values[i] = block.values[i];
}

std::optional<PaperSize> PaperForCode(int code) {
  struct Row {
    int code;
    PaperSize size;
  };
  static constexpr Row kPapers[] = {
      {1, {2159, 2794}},   // Letter 8.5 x 11 in
      {2, {2159, 2794}},   // Letter small
      {3, {2794, 4318}},   // Tabloid 11 x 17 in
      {4, {4318, 2794}},   // Ledger 17 x 11 in
      {5, {2159, 3556}},   // Legal 8.5 x 14 in
      {6, {1397, 2159}},   // Statement
      {7, {1842, 2667}},   // Executive
      {8, {2970, 4200}},   // A3
      {9, {2100, 2970}},   // A4
      {10, {2100, 2970}},  // A4 small
      {11, {1480, 2100}},  // A5
      {12, {2570, 3640}},  // B4 (JIS)
      {13, {1820, 2570}},  // B5 (JIS)
      {45, {2540, 2794}},  // 10 x 11 in
      {46, {3810, 2794}},  // 15 x 11 in
  };
  for (const auto& row : kPapers)
    if (row.code == code) return row.size;
  return std::nullopt;
}

PaperSize PageSize(const PrinterValues& values) {
  PaperSize size{2100, 2970};
  if (auto known = PaperForCode(values[kPaperSize])) {
    size = *known;
  } else if (values[kPaperLength] > 0 && values[kPaperWidth] > 0) {
    size = {values[kPaperWidth], values[kPaperLength]};
  }
  if (values[kOrientation] == kLandscape) std::swap(size.width, size.height);
  return size;
}

}  // namespace fmdraw::session
