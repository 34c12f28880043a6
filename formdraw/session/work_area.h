// The work area of a print session: everything a session holds between calls. The
// caller's session record points to it (words 0 and 1) and says its state (word 2).
// Allocated by FmInit / FmSetPrinterDriver / the indirect open, freed by FmTerm and
// FmAbort. Used by one thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "formdraw/device/device.h"
#include "formdraw/draw/session_font.h"
#include "formdraw/form/form_store.h"
#include "formdraw/session/printer_settings.h"

namespace fmdraw::session {

inline constexpr uint32_t kWorkAreaMagic = 0x464D5741;  // identifies a live work area

enum OutputKind : int { kNoOutput = 0, kPrinterOutput = 1, kDisplayOutput = 2 };
enum DeviceKind : int { kCallerContext = 0, kLibraryContext = 1, kOwnWindow = 2 };

// Settings last given to FmSetLine / FmSetPattern / FmSetFont, as the caller passed them
// (0.01 mm), re-applied at every page start.
struct LineSetting {
  int32_t style = 0;
  int32_t width = 0;
  bool operator==(const LineSetting&) const = default;
};
struct FontSetting {
  int32_t width = 0;
  int32_t height = 0;
  int32_t face = 1;
  int32_t italic = 0;
  int32_t bold = 0;
  bool operator==(const FontSetting&) const = default;
};
// The arguments of the last FmCreateFont, as passed (sizes 0.01 mm, escapement degrees).
struct CreatedFontSetting {
  int32_t width = 0;
  int32_t height = 0;
  int32_t escapement = 0;
  int32_t bold = 0;
  int32_t italic = 0;
  int32_t charSet = 0;
  int32_t pitch = 0;
  int32_t family = 0;
  std::string face;  // CP932
  bool operator==(const CreatedFontSetting&) const = default;
};

// The current drawing settings and the values of FmSetLong / FmSetString.
struct DrawingSettings {
  std::optional<LineSetting> line;
  std::optional<int32_t> pattern;
  std::optional<FontSetting> font;
  // Whether the setting above is the one selected into the device now; cleared when a
  // page starts or a colour changes, so the next setting call re-makes the object.
  bool lineApplied = false;
  bool patternApplied = false;
  bool fontApplied = false;
  bool createdFont = false;  // the current font was made by FmCreateFont
  CreatedFontSetting created;  // its arguments, valid while createdFont is set
  // The session font selected on the device now, with the sizes it was made with (the
  // magnification of the moment it was made). FmPrintText places with these sizes, so
  // text stays true to the glyphs even when the magnification changed since.
  fd::draw::SessionFont selectedFont;

  device::Color textColor = device::kBlack;   // code 10
  device::Color bkColor = device::kWhite;     // code 11
  int32_t messagePumpOff = 1;                 // code 1
  int32_t itemLength = 32;                    // code 2
  int32_t transparentShapes = 0;              // code 3
  int32_t frameOn = 1;                        // code 4
  int32_t cutLongText = 0;                    // code 5
  std::optional<char> padCharacter;           // FmSetString code 6
  int32_t colorModeCode = 1;                  // code 12

  device::Point firstCharacter;  // device dots of the last text printed
  device::Point textEnd;
};

// The list buffer of a list field (one per session).
struct ListBuffer {
  std::string fieldName;
  int32_t columns = 0;
  int32_t rows = 0;
  int32_t itemLength = 32;
  std::vector<uint8_t> cells;
};

// Explicit barcode widths and gains (device dots).
struct BarcodeSettings {
  int16_t minimumNarrow = 0;
  int16_t gain = 0;
  std::array<std::array<int16_t, 8>, 5> widthSets{};
};

struct WorkArea {
  uint32_t magic = kWorkAreaMagic;
  int32_t outputKind = kNoOutput;
  int32_t deviceKind = kCallerContext;
  int32_t window = 0;
  int32_t dc = 0;
  std::unique_ptr<device::Device> device;
  int32_t dpi = 0;
  int32_t colorMode = 1;  // 1 colour, 0 monochrome
  bool pageOpen = false;
  bool abort = false;
  bool documentStarted = false;

  DrawingSettings drawing;
  form::FormStore forms;
  std::string imageDirectory;  // FmSetString 101
  std::string tempDirectory;   // FmSetString 102
  std::optional<ListBuffer> listBuffer;
  BarcodeSettings barcode;
  std::optional<SettingsBlock> printerSettings;  // while a session is being opened

  [[nodiscard]] bool IsOpen() const { return outputKind >= kPrinterOutput && device != nullptr; }
  [[nodiscard]] bool IsColor() const { return colorMode != 0; }
};

}  // namespace fmdraw::session
