// Value types of the drawing device: pens, brushes, fonts, points, rectangles and the
// device's capabilities. All coordinates and sizes are device dots; colours are 32-bit
// colour values 0x00BBGGRR. Plain values, freely copied.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace fmdraw::device {

using Color = uint32_t;  // 0x00BBGGRR
inline constexpr Color kBlack = 0x000000;
inline constexpr Color kWhite = 0xFFFFFF;

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct Size {
  int32_t cx = 0;
  int32_t cy = 0;
};

// Pen styles numbered as the Windows pen styles.
enum PenStyle : int { kPenSolid = 0, kPenDash = 1, kPenDot = 2, kPenDashDot = 3,
                      kPenDashDotDot = 4, kPenNull = 5 };

struct Pen {
  int style = kPenSolid;
  int width = 1;  // dots; 0 draws 1 dot wide
  Color color = kBlack;
  bool operator==(const Pen&) const = default;
};

enum class BrushKind { kSolid, kHollow, kHatch, kPattern };

// Hatch numbers: 0 horizontal, 1 vertical, 2 forward diagonal (lines from top left to
// bottom right), 3 backward diagonal (from bottom left to top right), 4 cross, 5 diagonal
// cross.
struct Brush {
  BrushKind kind = BrushKind::kSolid;
  int hatch = 0;
  std::array<uint8_t, 8> bits{};  // pattern rows, left pixel in the high bit
  Color color = kBlack;           // solid, hatch lines, 0 bits of a pattern
  Color background = kWhite;      // 1 bits of a pattern
  bool operator==(const Brush&) const = default;
};

struct Font {
  int32_t height = 0;       // cell height in dots (negative: character height)
  int32_t width = 0;        // average character width in dots, 0 = the face's own
  int32_t escapement = 0;   // tenths of a degree, counter-clockwise
  int32_t orientation = 0;
  int32_t weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int32_t charset = 128;
  int32_t pitchAndFamily = 0;
  std::string face;         // CP932
  bool operator==(const Font&) const = default;
};

enum class BkMode : int { kTransparent = 1, kOpaque = 2 };

struct DeviceCaps {
  int32_t dpiX = 600;
  int32_t dpiY = 600;
  int32_t pageWidth = 0;   // dots
  int32_t pageHeight = 0;
  int32_t planes = 1;
  int32_t bitsPerPixel = 24;  // 1 with planes 1: a monochrome device
};

// A decoded bitmap: top-down rows of 0x00RRGGBB pixels.
struct Bitmap {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

// Result of ending a page.
enum class PageError { kNone, kDiskFull, kMemory, kOther };

}  // namespace fmdraw::device
