// The load's record of each tag column (ShownTag): kept beside the grid so that what is
// drawn from the page later (a chart) reads the same values the grid shows.
#include <string>

#include "client/core/vb_error.h"
#include "client/grid/doc_grid.h"

namespace tb {

const ShownTag& DocGrid::ShownTagOf(int col) const {
  static const ShownTag kNone;
  if (col < 1 || col >= static_cast<int>(shown_.size())) return kNone;
  return shown_[static_cast<size_t>(col)];
}

std::vector<int> DocGrid::TagColumns() const {
  std::vector<int> cols;
  for (int c = 1; c < static_cast<int>(shown_.size()); ++c)
    if (shown_[static_cast<size_t>(c)].tagId != 0) cols.push_back(c);
  return cols;
}

bool DocGrid::LoadPending() const {
  const Control* timer = controls_.Find("Timer1");
  return timer != nullptr && timer->interval > 0;
}

// A tag whose id cannot be read is not recorded: the chart would have nothing to ask for.
void DocGrid::RecordShownTag(int c) {
  auto& tag = shown_[static_cast<size_t>(c)];
  tag = ShownTag{};
  ResumeNext([&] {
    const auto& id = s_.gKanriRs.Field("TAG_ID");
    if (id) tag.tagId = std::stoll(*id);
  });
  tag.pattern = s_.gColPattern[static_cast<size_t>(c)];
  tag.displayType = s_.gColDisplayType[static_cast<size_t>(c)];
}

void DocGrid::RecordShownValues(int c, int n) {
  auto& values = shown_[static_cast<size_t>(c)].values;
  values.assign(static_cast<size_t>(n), std::nullopt);
  for (int i = 1; i <= n; ++i)
    ResumeNext([&] { values[size_t(i) - 1] = s_.gDataRs.Field("DATA_" + std::to_string(i)); });
}

}  // namespace tb
