#include "formdraw/device/pipelined_device.h"

#include <pthread.h>

#include <exception>
#include <new>
#include <utility>

namespace fmdraw::device {

namespace {

// Batches kept for use again: the one the worker draws, the one it waits with, a spare.
constexpr std::size_t kKeptBatches = 3;
// Calls recorded before an idle worker is given them.
constexpr std::size_t kEarlyHandOver = 128;

uint32_t Index(std::size_t size) { return static_cast<uint32_t>(size); }

}  // namespace

void PipelinedDevice::Batch::Clear() {
  calls.clear();
  pens.clear();
  brushes.clear();
  fonts.clear();
  points.clear();
  pieces.clear();
  text.clear();
  endsPage = false;
}

PipelinedDevice::PipelinedDevice(std::unique_ptr<Device> backend)
    : Device(backend->Caps()), backend_(std::move(backend)), worker_([this] { Work(); }) {}

PipelinedDevice::~PipelinedDevice() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  worker_.join();  // the worker draws what was handed over before it stops
}

void PipelinedDevice::Work() {
  pthread_setname_np(pthread_self(), "fmdraw-pages");  // for people reading top or a profile
  std::vector<RunPiece> pieces;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stop_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, nothing left to draw
    Batch batch = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    PageError error = PageError::kNone;
    try {
      Draw(batch, pieces);
      if (batch.endsPage) error = backend_->EndPage();
    } catch (const std::bad_alloc&) {
      error = PageError::kMemory;
    } catch (const std::exception&) {
      error = PageError::kOther;
    }
    lock.lock();
    if (lateError_ == PageError::kNone) lateError_ = error;
    spent_.push_back(std::move(batch));
    --pending_;
    done_.notify_all();
  }
}

void PipelinedDevice::Draw(const Batch& batch, std::vector<RunPiece>& pieces) {
  Device& d = *backend_;
  for (const Call& c : batch.calls) {
    switch (c.op) {
      case Op::kStartPage: d.StartPage(); break;
      case Op::kPen: d.SelectPen(batch.pens[c.first]); break;
      case Op::kBrush: d.SelectBrush(batch.brushes[c.first]); break;
      case Op::kFont: d.SelectFont(batch.fonts[c.first]); break;
      case Op::kBkMode: d.SetBkMode(static_cast<BkMode>(c.value)); break;
      case Op::kBkColor: d.SetBkColor(static_cast<Color>(c.value)); break;
      case Op::kTextColor: d.SetTextColor(static_cast<Color>(c.value)); break;
      case Op::kMoveTo: d.MoveTo(c.a.x, c.a.y); break;
      // The backend's current position is the line's start already: it saw the same moves.
      case Op::kLineTo: d.LineTo(c.a.x, c.a.y); break;
      case Op::kRectangle: d.Rectangle(c.rect); break;
      case Op::kRoundRect: d.RoundRect(c.rect, c.a.x, c.a.y); break;
      case Op::kEllipse: d.Ellipse(c.rect); break;
      case Op::kArc: d.Arc(c.rect, c.a, c.b); break;
      case Op::kChord: d.Chord(c.rect, c.a, c.b); break;
      case Op::kPie: d.Pie(c.rect, c.a, c.b); break;
      case Op::kPolygon: d.Polygon(std::span(batch.points).subspan(c.first, c.count)); break;
      case Op::kTextRun: {
        pieces.clear();
        for (uint32_t i = c.first; i < c.first + c.count; ++i) {
          const Piece& p = batch.pieces[i];
          pieces.push_back({std::string_view(batch.text).substr(p.offset, p.length), p.at});
        }
        d.TextRun(pieces);
        break;
      }
      case Op::kClip: d.SetClipRect(c.rect); break;
      case Op::kClearClip: d.ClearClip(); break;
    }
  }
}

void PipelinedDevice::HandOver(bool endsPage) {
  if (recording_.calls.empty() && !endsPage) return;
  recording_.endsPage = endsPage;
  std::vector<Batch> extra;  // freed when this returns, outside the lock
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(recording_));
    ++pending_;
    if (!spent_.empty()) {
      recording_ = std::move(spent_.back());
      spent_.pop_back();
    } else {
      recording_ = {};
    }
    while (spent_.size() > kKeptBatches) {
      extra.push_back(std::move(spent_.back()));
      spent_.pop_back();
    }
  }
  wake_.notify_one();
  recording_.Clear();
}

void PipelinedDevice::WaitForPending(std::size_t batches) {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [&] { return pending_ <= batches; });
}

bool PipelinedDevice::WorkerIdle() {
  std::lock_guard<std::mutex> lock(mutex_);
  return pending_ == 0;
}

void PipelinedDevice::Drain() {
  HandOver(false);
  WaitForPending(0);
}

PageError PipelinedDevice::TakeLateError() {
  std::lock_guard<std::mutex> lock(mutex_);
  const PageError error = std::exchange(lateError_, PageError::kNone);
  if (error != PageError::kNone) docFailed_ = true;
  return error;
}

bool PipelinedDevice::Record(const Call& call) {
  if (!docOpen_) return false;
  recording_.calls.push_back(call);
  return true;
}

bool PipelinedDevice::StartDoc(std::string_view name) {
  Drain();
  (void)TakeLateError();  // of a document that was neither ended nor aborted
  pageOpen_ = docFailed_ = false;
  docOpen_ = backend_->StartDoc(name);
  return docOpen_;
}

bool PipelinedDevice::StartPage() {
  pageOpen_ = Record({.op = Op::kStartPage});
  return pageOpen_;
}

// The page goes to the worker; the caller waits only for the page before it, whose error
// (or an earlier one not yet reported) is the answer.
PageError PipelinedDevice::EndPage() {
  if (!pageOpen_) return PageError::kOther;
  pageOpen_ = false;
  HandOver(true);
  WaitForPending(1);
  return TakeLateError();
}

PageError PipelinedDevice::FinishPages() {
  Drain();
  return TakeLateError();
}

bool PipelinedDevice::EndDoc() {
  Drain();
  docOpen_ = pageOpen_ = false;
  if (TakeLateError() != PageError::kNone || docFailed_) {
    backend_->AbortDoc();  // a page of it is missing or broken: nothing is delivered
    return false;
  }
  return backend_->EndDoc();
}

void PipelinedDevice::AbortDoc() {
  Drain();
  (void)TakeLateError();
  docOpen_ = pageOpen_ = false;
  backend_->AbortDoc();
}

bool PipelinedDevice::DoSelectPen(const Pen& pen) {
  if (Record({.op = Op::kPen, .first = Index(recording_.pens.size())})) recording_.pens.push_back(pen);
  return true;
}

bool PipelinedDevice::DoSelectBrush(const Brush& brush) {
  if (Record({.op = Op::kBrush, .first = Index(recording_.brushes.size())}))
    recording_.brushes.push_back(brush);
  return true;
}

bool PipelinedDevice::DoSelectFont(const Font& font) {
  if (measure_.Prepare(font).face == nullptr) return false;
  if (Record({.op = Op::kFont, .first = Index(recording_.fonts.size())})) recording_.fonts.push_back(font);
  return true;
}

void PipelinedDevice::DoSetBkMode(BkMode mode) {
  Record({.op = Op::kBkMode, .value = static_cast<int32_t>(mode)});
}

void PipelinedDevice::DoSetBkColor(Color color) {
  Record({.op = Op::kBkColor, .value = static_cast<int32_t>(color)});
}

void PipelinedDevice::DoSetTextColor(Color color) {
  Record({.op = Op::kTextColor, .value = static_cast<int32_t>(color)});
}

bool PipelinedDevice::DoMoveTo(Point p) { return Record({.op = Op::kMoveTo, .a = p}); }

bool PipelinedDevice::DoLineTo(Point, Point to) { return Record({.op = Op::kLineTo, .a = to}); }

bool PipelinedDevice::DoRectangle(const Rect& r) { return Record({.op = Op::kRectangle, .rect = r}); }

bool PipelinedDevice::DoRoundRect(const Rect& r, int32_t cw, int32_t ch) {
  return Record({.op = Op::kRoundRect, .rect = r, .a = {cw, ch}});
}

bool PipelinedDevice::DoEllipse(const Rect& r) { return Record({.op = Op::kEllipse, .rect = r}); }

bool PipelinedDevice::DoFigure(Figure figure, const Rect& r, Point start, Point end) {
  const Op op = figure == Figure::kArc ? Op::kArc : figure == Figure::kChord ? Op::kChord : Op::kPie;
  return Record({.op = op, .rect = r, .a = start, .b = end});
}

bool PipelinedDevice::DoPolygon(std::span<const Point> points) {
  const Call call{.op = Op::kPolygon, .first = Index(recording_.points.size()), .count = Index(points.size())};
  if (!Record(call)) return false;
  recording_.points.insert(recording_.points.end(), points.begin(), points.end());
  return true;
}

bool PipelinedDevice::DoTextRun(std::span<const RunPiece> pieces) {
  if (!docOpen_ || measure_.Prepare(state_.font).face == nullptr) return false;
  // When the worker waits for work (a document's first page, or a page after a slow
  // layout), the calls so far go to it now, so it draws them while the page is laid out.
  // Done before the run's arguments are placed: they go into the batch of their call.
  if (recording_.calls.size() >= kEarlyHandOver && WorkerIdle()) HandOver(false);
  Record({.op = Op::kTextRun, .first = Index(recording_.pieces.size()), .count = Index(pieces.size())});
  for (const RunPiece& p : pieces) {
    recording_.pieces.push_back({Index(recording_.text.size()), Index(p.text.size()), p.at});
    recording_.text.append(p.text);
  }
  return true;
}

Size PipelinedDevice::DoTextExtent(std::string_view text) { return measure_.Measure(state_.font, text); }

bool PipelinedDevice::DoSetClipRect(const Rect& r) { return Record({.op = Op::kClip, .rect = r}); }

void PipelinedDevice::DoClearClip() { Record({.op = Op::kClearClip}); }

bool PipelinedDevice::DoStretchBitmap(const Bitmap& bitmap, const Rect& target) {
  if (!docOpen_) return false;
  Drain();
  return backend_->StretchBitmap(bitmap, target);
}

}  // namespace fmdraw::device
