// What the last load put into one tag column of the grid page: the tag, its digit
// pattern and display type, and the stored values of the period it showed (texts as the
// data database holds them, Null as nullopt). The page data that a chart of the column
// reads, so that the chart shows exactly the numbers the grid shows. Plain data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client/core/database.h"

namespace tb {

struct ShownTag {
  std::int64_t tagId = 0;  // 0: no tag in this column (a tag id 0 cannot be charted)
  std::string pattern = "0";
  int displayType = 0;
  std::vector<db::Value> values;  // DATA_1 .. DATA_n; empty when the period has no row
};

}  // namespace tb
