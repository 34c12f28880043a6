// The numeric and string settings of a session, by code (FmSetLong, FmSetString). Every
// function acts on an open session's work area and returns 0 or the export's negative
// code; a refused value changes nothing.
#pragma once

#include <cstdint>
#include <string_view>

#include "formdraw/session/work_area.h"

namespace fmdraw::fields {

// Results shared by the field calls.
inline constexpr int kOk = 0;
inline constexpr int kNoSession = -1;
inline constexpr int kBadArgument = -2;   // code or kind outside its range, no list buffer
inline constexpr int kBadValue = -3;      // value out of range, name or number not found
inline constexpr int kBufferState = -4;   // list buffer exists / cannot be allocated

// Codes of FmSetLong.
enum LongCode : int32_t {
  kMessagePump = 1,
  kItemLength = 2,
  kTransparentShapes = 3,
  kBoxFrame = 4,
  kCutLongText = 5,
  kMagnification = 7,
  kXOffset = 8,
  kYOffset = 9,
  kTextColor = 10,
  kBackgroundColor = 11,
  kColorMode = 12,
  kWindowHandle = 97,
  kDeviceContext = 98,
  kCurrentForm = 99,
};

// Codes of FmSetString.
enum StringCode : int32_t { kPadCharacter = 6, kImageDirectory = 101, kTempDirectory = 102 };

inline constexpr int32_t kMinItemLength = 4;
inline constexpr int32_t kMaxItemLength = 256;
inline constexpr int32_t kMaxMagnification = 1000;
inline constexpr std::size_t kMaxDirectoryBytes = 128;

[[nodiscard]] int SetLong(session::WorkArea& area, int32_t code, int32_t value);

// `text` may be null (treated as empty).
[[nodiscard]] int SetString(session::WorkArea& area, int32_t code, const char* text);

}  // namespace fmdraw::fields
