// The chart data of the grid page as the browser's chart dialog reads it (JSON).
//
//   PageTagsJson: {"tags":[{"tag","column","names":[large,middle,small],"unit","minutes"}]}
//   TrendJson:    {"tag","column","names","unit","minutes","kind","key","caption","rowUnit",
//                  "labels":[..],"values":[number|null],"texts":[..],"max":[row index..],
//                  "min":[..],"total","average","maximum","minimum","file",
//                  "previous":{"label","key","caption","values","texts","total",
//                              "average","maximum","minimum"} | null}
#pragma once

#include <span>

#include <nlohmann/json.hpp>

#include "client/trend/trend_data.h"

namespace tb::web {

nlohmann::json PageTagsJson(std::span<const trend::PageTag> tags);
nlohmann::json TrendJson(const trend::TagTrend& t);

}  // namespace tb::web
