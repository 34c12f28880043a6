// One field of the CSV files the grid page writes: the text in double quotes (a double
// quote inside doubled, so that a reader gets the text back and the fields after it stay
// in their columns), followed by a comma.
#pragma once

#include <string>
#include <string_view>

namespace tb {

inline void AppendCsvField(std::string& line, std::string_view text) {
  line += '"';
  for (char ch : text) {
    if (ch == '"') line += '"';
    line += ch;
  }
  line += "\",";
}

}  // namespace tb
