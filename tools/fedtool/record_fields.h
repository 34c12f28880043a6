// Named fields of each record kind of a form file (offset, width, kind), used to show
// records as JSON objects and to build them back.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace fedtool {

enum class FieldType { kI16, kI32, kU32, kU8, kText, kI16Array };

struct FieldDef {
  std::string_view name;
  std::size_t offset;
  FieldType type;
  std::size_t size = 0;  // bytes of a text, elements of an array
};

// The record kinds' JSON names ("order", "line", ...), indexed by kind 0 to 11.
std::string_view KindName(int kind);
const std::vector<FieldDef>& FieldsOf(int kind);

}  // namespace fedtool
