// The trace device: every call becomes one line of text with its arguments in device
// dots, so tests can compare exact drawing calls. The line format is documented in
// docs/trace-format.md and kept stable. Text is measured with the real fonts (as on the
// Cairo devices), so layouts match. Each document is written as one text file through a
// DocumentOutput; without one, lines only collect in memory (Lines()).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "formdraw/device/device.h"
#include "formdraw/device/document_output.h"
#include "formdraw/device/font_engine.h"

namespace fmdraw::device {

class TraceDevice : public Device {
 public:
  TraceDevice(const DeviceCaps& caps, std::unique_ptr<DocumentOutput> output);
  ~TraceDevice() override;

  [[nodiscard]] const std::vector<std::string>& Lines() const { return lines_; }
  [[nodiscard]] const DocumentOutput* Output() const { return output_.get(); }

  bool StartDoc(std::string_view name) override;
  bool StartPage() override;
  PageError EndPage() override;
  bool EndDoc() override;
  void AbortDoc() override;

 protected:
  bool DoSelectPen(const Pen& pen) override;
  bool DoSelectBrush(const Brush& brush) override;
  bool DoSelectFont(const Font& font) override;
  void DoSetBkMode(BkMode mode) override;
  void DoSetBkColor(Color color) override;
  void DoSetTextColor(Color color) override;
  bool DoMoveTo(Point p) override;
  bool DoLineTo(Point from, Point to) override;
  bool DoRectangle(const Rect& r) override;
  bool DoRoundRect(const Rect& r, int32_t cw, int32_t ch) override;
  bool DoEllipse(const Rect& r) override;
  bool DoFigure(Figure figure, const Rect& r, Point start, Point end) override;
  bool DoPolygon(std::span<const Point> points) override;
  bool DoTextRun(std::span<const RunPiece> pieces) override;
  Size DoTextExtent(std::string_view text) override;
  bool DoSetClipRect(const Rect& r) override;
  void DoClearClip() override;
  bool DoStretchBitmap(const Bitmap& bitmap, const Rect& target) override;

 private:
  void Emit(std::string line);

  std::unique_ptr<DocumentOutput> output_;
  FontEngine fonts_;
  std::vector<std::string> lines_;
  std::string docName_;
  bool inDoc_ = false;
};

// Formatting helpers shared with tests: a colour as six hex digits of 0x00BBGGRR, and a
// CP932 text as a quoted UTF-8 string with \" \\ and \xNN escapes.
std::string TraceColor(Color color);
std::string TraceQuote(std::string_view cp932);

}  // namespace fmdraw::device
