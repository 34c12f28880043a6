// The drawing device: the subset of the Windows graphics interface that the library
// uses, on device dots. It holds the selected pen, brush and font, the background mode
// and colour, the text colour, the current position and the clip rectangle; each call
// records the state and passes it to the backend (Cairo PDF/image, trace).
// Calls return false when the backend fails. One device per session; not thread-safe.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "formdraw/device/device_types.h"

namespace fmdraw::device {

struct DeviceState {
  Pen pen;
  Brush brush;
  Font font;
  BkMode bkMode = BkMode::kOpaque;
  Color bkColor = kWhite;
  Color textColor = kBlack;
  Point position;
  std::optional<Rect> clip;
};

class Device {
 public:
  virtual ~Device() = default;
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  [[nodiscard]] const DeviceCaps& Caps() const { return caps_; }
  [[nodiscard]] const DeviceState& State() const { return state_; }
  [[nodiscard]] bool IsMonochrome() const { return caps_.planes == 1 && caps_.bitsPerPixel == 1; }

  // Documents and pages. `name` is the CP932 document name.
  virtual bool StartDoc(std::string_view name) = 0;
  virtual bool StartPage() = 0;
  virtual PageError EndPage() = 0;
  virtual bool EndDoc() = 0;
  // Cancels the document: nothing of it is delivered.
  virtual void AbortDoc() = 0;
  // Finishes drawing the pages already ended and returns the first of their errors that no
  // EndPage has reported yet. Devices that draw each page at its end have none to report.
  virtual PageError FinishPages() { return PageError::kNone; }

  bool SelectPen(const Pen& pen);
  bool SelectBrush(const Brush& brush);
  bool SelectFont(const Font& font);
  void SetBkMode(BkMode mode);
  void SetBkColor(Color color);
  void SetTextColor(Color color);

  bool MoveTo(int32_t x, int32_t y);
  bool LineTo(int32_t x, int32_t y);
  // Rectangles cover left..right-1 and top..bottom-1, as the Windows calls do.
  bool Rectangle(const Rect& r);
  bool RoundRect(const Rect& r, int32_t cornerWidth, int32_t cornerHeight);
  bool Ellipse(const Rect& r);
  // Figures of the ellipse in `r` from the ray through `start` counter-clockwise to the
  // ray through `end`.
  bool Arc(const Rect& r, Point start, Point end);
  bool Chord(const Rect& r, Point start, Point end);
  bool Pie(const Rect& r, Point start, Point end);
  bool Polygon(std::span<const Point> points);
  // One text as one output call in the selected font: every piece at its place. A run
  // without pieces draws nothing and succeeds.
  bool TextRun(std::span<const RunPiece> pieces);
  // A run of one piece: (x, y) is the top-left of the first character cell; `text` is CP932.
  bool TextOut(int32_t x, int32_t y, std::string_view text);
  // Advance width and cell height of `text` in the selected font.
  [[nodiscard]] Size TextExtent(std::string_view text);
  bool SetClipRect(const Rect& r);
  void ClearClip();
  bool StretchBitmap(const Bitmap& bitmap, const Rect& target);

 protected:
  explicit Device(const DeviceCaps& caps) : caps_(caps) {}

  enum class Figure { kArc, kChord, kPie };
  virtual bool DoSelectPen(const Pen& pen) = 0;
  virtual bool DoSelectBrush(const Brush& brush) = 0;
  virtual bool DoSelectFont(const Font& font) = 0;
  virtual void DoSetBkMode(BkMode mode) = 0;
  virtual void DoSetBkColor(Color color) = 0;
  virtual void DoSetTextColor(Color color) = 0;
  virtual bool DoMoveTo(Point p) = 0;
  virtual bool DoLineTo(Point from, Point to) = 0;
  virtual bool DoRectangle(const Rect& r) = 0;
  virtual bool DoRoundRect(const Rect& r, int32_t cw, int32_t ch) = 0;
  virtual bool DoEllipse(const Rect& r) = 0;
  virtual bool DoFigure(Figure figure, const Rect& r, Point start, Point end) = 0;
  virtual bool DoPolygon(std::span<const Point> points) = 0;
  virtual bool DoTextRun(std::span<const RunPiece> pieces) = 0;
  virtual Size DoTextExtent(std::string_view text) = 0;
  virtual bool DoSetClipRect(const Rect& r) = 0;
  virtual void DoClearClip() = 0;
  virtual bool DoStretchBitmap(const Bitmap& bitmap, const Rect& target) = 0;

  DeviceCaps caps_;
  DeviceState state_;
};

}  // namespace fmdraw::device
