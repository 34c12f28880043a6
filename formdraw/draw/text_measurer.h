// How the layout engines measure text: an interface over the device's selected font, so
// that layout stays arithmetic. Measures are in thousandths of a device dot. The engines
// say which font they need (FontRequest); the caller selects it on the device and hands
// in a measurer bound to it. FixedMetrics is a measurer without a device: single-byte
// characters half the full width, double-byte characters the full width, every
// character the same height; tests use it so that expected positions can be worked out
// by hand.
#pragma once

#include <string_view>

namespace fd::draw {

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Advance width of a run of characters (CP932) measured as a whole.
  [[nodiscard]] virtual long long RunWidth(std::string_view cp932) = 0;
  // Cell height of one character.
  [[nodiscard]] virtual long long CharHeight(std::string_view cp932Char) = 0;
};

class FixedMetrics final : public TextMeasurer {
 public:
  // `fullWidth` and `height` in thousandths of a dot.
  FixedMetrics(long long fullWidth, long long height) : fullWidth_(fullWidth), height_(height) {}
  [[nodiscard]] long long RunWidth(std::string_view cp932) override;
  [[nodiscard]] long long CharHeight(std::string_view) override { return height_; }

 private:
  long long fullWidth_;
  long long height_;
};

}  // namespace fd::draw
