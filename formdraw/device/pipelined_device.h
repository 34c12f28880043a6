// A device that draws through another device (the backend) on a worker thread, a page at
// a time. For a PDF most of a page's time goes to the backend's page output (Cairo
// replays the page, formats and compresses it); with the pipeline the caller lays out
// the next page, runs its queries and measures its texts meanwhile, on the other core.
//
// What the caller sees:
//  - Measuring (TextExtent) and font selection are answered at once by a font engine of
//    the pipeline's own, which gives the backend's figures (both measure through the same
//    shared faces).
//  - Drawing calls are recorded and succeed while a document is open. The backend must be
//    one whose drawing calls fail only when its whole page fails (the Cairo PDF device:
//    a failed call leaves the context in error and the page's end reports it).
//  - A page's end hands the page over and waits only for the page before it, so a page
//    that fails is reported by its own end or the next page's, or by FinishPages at the
//    document's end, with the page's own error. A document with a failed page is not
//    delivered: its end cancels it and fails.
//  - Documents start, end and abort on the caller's thread once the worker has drawn
//    everything handed over, so their results are immediate. Bitmaps are drawn the same
//    way (their result depends on memory for a picture the size of the bitmap).
// One caller thread at a time, as for every device.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "formdraw/device/device.h"
#include "formdraw/device/font_engine.h"

namespace fmdraw::device {

class PipelinedDevice : public Device {
 public:
  explicit PipelinedDevice(std::unique_ptr<Device> backend);
  ~PipelinedDevice() override;

  bool StartDoc(std::string_view name) override;
  bool StartPage() override;
  PageError EndPage() override;
  PageError FinishPages() override;
  bool EndDoc() override;
  void AbortDoc() override;

  // The backend, for reading what it made; only while nothing is handed over (after a
  // document's end, abort or FinishPages).
  [[nodiscard]] const Device& Backend() const { return *backend_; }

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
  enum class Op : uint8_t {
    kStartPage, kPen, kBrush, kFont, kBkMode, kBkColor, kTextColor, kMoveTo, kLineTo,
    kRectangle, kRoundRect, kEllipse, kArc, kChord, kPie, kPolygon, kTextRun, kClip, kClearClip
  };
  // One recorded call. Its larger arguments (pens, brushes, fonts, points, texts) are in
  // the batch's arrays, `first` and `count` say where.
  struct Call {
    Op op;
    Rect rect;
    Point a, b;
    uint32_t first = 0, count = 0;
    int32_t value = 0;
  };
  struct Piece {
    uint32_t offset = 0, length = 0;  // in the batch's text
    Point at;
  };
  // The calls of (part of) a page, with their arguments. Batches are used again once
  // drawn, so a document's recording allocates only while its first pages grow them.
  struct Batch {
    std::vector<Call> calls;
    std::vector<Pen> pens;
    std::vector<Brush> brushes;
    std::vector<Font> fonts;
    std::vector<Point> points;
    std::vector<Piece> pieces;
    std::string text;
    bool endsPage = false;
    void Clear();
  };

  // Records a call; true while a document is open (the backend's answer then).
  bool Record(const Call& call);
  // Hands the calls recorded so far to the worker.
  void HandOver(bool endsPage);
  // Waits until at most `batches` handed-over batches are still to be drawn.
  void WaitForPending(std::size_t batches);
  // Hands everything over and waits until the worker has drawn it all.
  void Drain();
  // True when everything handed over is drawn.
  bool WorkerIdle();
  // The first page error of the pages drawn since it was last taken.
  PageError TakeLateError();
  void Work();
  // Draws one batch on the backend; `pieces` is the worker's scratch for text runs.
  void Draw(const Batch& batch, std::vector<RunPiece>& pieces);

  std::unique_ptr<Device> backend_;
  FontEngine measure_;
  bool docOpen_ = false;
  bool pageOpen_ = false;
  bool docFailed_ = false;  // a page of the document failed (reported or not)
  Batch recording_;

  std::mutex mutex_;
  std::condition_variable wake_;  // the worker: a batch arrived, or stop
  std::condition_variable done_;  // the caller: a batch was drawn
  std::deque<Batch> queue_;
  std::vector<Batch> spent_;      // drawn, to be used again by the caller
  std::size_t pending_ = 0;       // batches queued or being drawn
  PageError lateError_ = PageError::kNone;
  bool stop_ = false;
  std::thread worker_;            // last: starts once everything above exists
};

}  // namespace fmdraw::device
