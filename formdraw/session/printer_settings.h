// Printer settings: the twelve values of the printer-settings record that the library
// reads and writes (orientation, paper size, paper length and width, scale, copies,
// default source, print quality, colour, duplex, y resolution, TrueType option), the
// field mask of a settings block given by the caller, and the paper sizes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace fmdraw::session {

enum SettingIndex : int {
  kOrientation = 0, kPaperSize, kPaperLength, kPaperWidth, kScale, kCopies,
  kDefaultSource, kPrintQuality, kColor, kDuplex, kYResolution, kTTOption,
  kSettingCount
};

// Mask bit of each value, as in the Windows printer-settings record.
inline constexpr std::array<uint32_t, kSettingCount> kSettingMaskBit = {
    0x1, 0x2, 0x4, 0x8, 0x10, 0x100, 0x200, 0x400, 0x800, 0x1000, 0x2000, 0x4000};
// Bit that does not count when deciding whether any setting was given.
inline constexpr uint32_t kIgnoredMaskBit = 0x40000000;

// Key names in the printer registry, in SettingIndex order.
inline constexpr std::array<std::string_view, kSettingCount> kSettingKeys = {
    "Orientation", "PaperSize", "PaperLength", "PaperWidth", "Scale", "Copies",
    "DefaultSource", "PrintQuality", "Color", "Duplex", "YResolution", "TTOption"};

using PrinterValues = std::array<int16_t, kSettingCount>;

// The block that FmSetPrinterDriver and the indirect open give.
struct SettingsBlock {
  uint32_t mask = 0;
  PrinterValues values{};
  [[nodiscard]] bool AnyGiven() const { return (mask & ~kIgnoredMaskBit) != 0; }
};

// Copies the values whose mask bits are set.
void ApplyMasked(const SettingsBlock& block, PrinterValues& values);

inline constexpr int16_t kPortrait = 1;
inline constexpr int16_t kLandscape = 2;
inline constexpr int16_t kMonochrome = 1;  // value of kColor for a monochrome device

// Paper width and height in 0.1 mm for a paper code; nullopt for an unknown code.
struct PaperSize {
  int32_t width = 0;
  int32_t height = 0;
};
std::optional<PaperSize> PaperForCode(int code);

// The page of a settings record: the paper of its code (or its own length and width
// when the code is unknown; A4 when it has neither), turned for landscape.
PaperSize PageSize(const PrinterValues& values);

}  // namespace fmdraw::session
