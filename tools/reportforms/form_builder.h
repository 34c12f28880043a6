// Collects the objects of one form in 0.01 mm (the unit the client prints in) and writes
// them as the form tool's JSON (docs/fedtool.md) in twips. Static objects go into the
// drawing order in the order they are added; data fields are numbered from 1.
// Fonts: entry 1 is "ＭＳ 明朝", entry 2 "ＭＳ ゴシック".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace reportforms {

enum class Face { kMincho = 1, kGothic = 2 };
enum class Align { kStart = 1, kEnd = 2, kCentre = 3 };

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;  // 0.01 mm
  [[nodiscard]] int Width() const { return right - left; }
  [[nodiscard]] int Height() const { return bottom - top; }
};

// 0.01 mm to twips, to the nearest twip (the library reads twips back as v * 1764 / 1000).
[[nodiscard]] int Twips(int hundredthsMm);
// The height of a character of `points` in 0.01 mm (points * 20 twips).
[[nodiscard]] int CharHeight(int points);
// The largest type size in points at which `halfWidthChars` single-byte characters (each
// half a character height wide, as the library places the built-in faces) fit `width`.
[[nodiscard]] int PointsToFit(int width, int halfWidthChars);

struct TextStyle {
  Face face = Face::kMincho;
  int points = 10;
  Align align = Align::kCentre;
};

class FormBuilder {
 public:
  FormBuilder(int paperCode, bool landscape);

  // A line; penWidth in 1/300 inch.
  void Line(int x1, int y1, int x2, int y2, int penWidth);
  // A hollow box.
  void Box(const Rect& r, int penWidth);
  // A static text, vertically centred in `cell`. At most 32 bytes of CP932.
  void Text(const Rect& cell, std::string_view utf8, const TextStyle& style);
  // A data field named `name` with an "X" format of `formatBytes` bytes (one record holds
  // 32; longer formats continue in further records). The field spans `cell` horizontally
  // minus `inset` on both sides; with `fieldIsCell` it keeps the cell's height and its text
  // is centred through the text offset, otherwise the field is exactly one character
  // high, centred in the cell (its top is where free text drawn over it starts).
  void Field(std::string_view name, const Rect& cell, const TextStyle& style, int formatBytes,
             int inset = 0, bool fieldIsCell = false);

  [[nodiscard]] nlohmann::ordered_json Json() const;
  [[nodiscard]] int FieldCount() const { return fieldNumber_; }

 private:
  void Order(int kind, std::size_t index);

  int paperCode_;
  bool landscape_;
  nlohmann::ordered_json order_ = nlohmann::ordered_json::array();
  nlohmann::ordered_json lines_ = nlohmann::ordered_json::array();
  nlohmann::ordered_json boxes_ = nlohmann::ordered_json::array();
  nlohmann::ordered_json texts_ = nlohmann::ordered_json::array();
  nlohmann::ordered_json fields_ = nlohmann::ordered_json::array();
  int fieldNumber_ = 0;
};

}  // namespace reportforms
