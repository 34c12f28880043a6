// The control tree of a page or dialog model: what a host renders as it is. Each control
// has the name the page gives it ("cmdJikkou", "lblDate1" with index 2), a kind, its
// container, caption, tool tip, position in twips relative to its container, and its
// visual state. Controls are plain data; the page model's handlers change them and the
// host reads them after every event. Not thread-safe: one UI thread owns a document.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tb {

class FlexGrid;  // client/grid/flex_grid.h

// Windows colour values, 0x00BBGGRR.
using Colour = std::uint32_t;
constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}
inline constexpr Colour kBlack = Rgb(0, 0, 0);
inline constexpr Colour kWhite = Rgb(255, 255, 255);
inline constexpr Colour kGrey = Rgb(128, 128, 128);  // entry 8 of the 16-colour palette
inline constexpr Colour kYellow = Rgb(255, 255, 0);
inline constexpr Colour kRed = Rgb(255, 0, 0);
inline constexpr Colour kBlue = Rgb(0, 0, 255);

enum class ControlKind { kLabel, kButton, kPictureButton, kOption, kFrame, kTextBox, kTimer, kGrid };

struct FontSpec {
  std::string name;  // face name as the page names it, e.g. "ＭＳ ゴシック"
  double size = 9;   // points
  bool bold = false;
};

struct Control {
  std::string name;
  int index = -1;           // position in a control array; -1 when not in an array
  ControlKind kind = ControlKind::kLabel;
  std::string container;    // Id() of the containing frame; empty = the document itself
  std::string caption;      // label/button/option/frame caption, text box text
  std::string toolTip;
  int left = 0, top = 0, width = 0, height = 0;  // twips
  bool visible = true;
  bool enabled = true;
  bool value = false;       // option button: selected
  std::optional<Colour> backColour;  // nullopt = the host's default
  std::optional<Colour> foreColour;
  std::optional<FontSpec> font;
  int interval = 0;         // timer: milliseconds, 0 = stopped
  FlexGrid* grid = nullptr; // kGrid: the grid model, owned by the document

  // The DOM id and look-up key: "name", or "name_index" for control arrays.
  [[nodiscard]] std::string Id() const {
    return index < 0 ? name : name + "_" + std::to_string(index);
  }
};

// The ordered controls of one document; look-up by Id().
class ControlSet {
 public:
  Control& Add(Control c) {
    auto id = c.Id();
    order_.push_back(std::make_unique<Control>(std::move(c)));
    byId_[id] = order_.back().get();
    return *order_.back();
  }
  [[nodiscard]] Control* Find(std::string_view id) {
    auto it = byId_.find(std::string(id));
    return it == byId_.end() ? nullptr : it->second;
  }
  [[nodiscard]] const Control* Find(std::string_view id) const {
    auto it = byId_.find(std::string(id));
    return it == byId_.end() ? nullptr : it->second;
  }
  // The control with that id; throws std::out_of_range when there is none.
  Control& operator[](std::string_view id) {
    if (auto* c = Find(id)) return *c;
    throw std::out_of_range("no control " + std::string(id));
  }
  [[nodiscard]] const std::vector<std::unique_ptr<Control>>& All() const { return order_; }

 private:
  std::vector<std::unique_ptr<Control>> order_;
  std::map<std::string, Control*, std::less<>> byId_;
};

// What a person does to a document, addressed by control id.
struct UiEvent {
  enum class Kind { kClick, kDblClick, kKeyPress, kTextChange, kTimer, kClose, kCellSelect };
  Kind kind = Kind::kClick;
  std::string control;  // Control::Id(); for kClose the document itself (empty)
  int keyAscii = 0;     // kKeyPress
  std::string text;     // kTextChange: the new text
  int row = 0, col = 0; // kCellSelect / kClick / kDblClick on a grid cell
};

// A page or dialog model. The host renders Controls() and sends events to Handle();
// a modal dialog is finished when Closed() is true.
class Document {
 public:
  virtual ~Document() = default;
  [[nodiscard]] virtual std::string_view Name() const = 0;     // "docMain", "frmTenkey"
  [[nodiscard]] virtual std::string_view Caption() const { return {}; }  // window caption
  [[nodiscard]] virtual int Width() const = 0;   // twips of the client area
  [[nodiscard]] virtual int Height() const = 0;
  [[nodiscard]] ControlSet& Controls() { return controls_; }
  [[nodiscard]] const ControlSet& Controls() const { return controls_; }
  // Runs the handler of one event. Returns false when the event is refused (unknown
  // control, hidden or disabled target, an event the control does not take); the
  // document is then unchanged.
  virtual bool Handle(const UiEvent& e) = 0;
  [[nodiscard]] virtual bool Closed() const { return false; }
  // The control the handlers last put the focus on; empty when the page sets none.
  [[nodiscard]] virtual std::string FocusedControl() const { return {}; }

 protected:
  ControlSet controls_;
};

}  // namespace tb
