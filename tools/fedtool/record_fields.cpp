#include "tools/fedtool/record_fields.h"

#include <array>

namespace fedtool {

namespace {
using T = FieldType;
const std::vector<FieldDef> kShapeHead = {{"used", 0, T::kI16}, {"word1", 2, T::kI16},
                                          {"penStyle", 4, T::kI16}, {"penWidth", 6, T::kI16}};

std::vector<FieldDef> Shape(std::vector<FieldDef> rest) {
  std::vector<FieldDef> all = kShapeHead;
  all.insert(all.end(), rest.begin(), rest.end());
  return all;
}

const std::array<std::vector<FieldDef>, 12> kFields = {{
    {{"used", 0, T::kI16}, {"kind", 2, T::kI16}, {"index", 4, T::kI16}},
    Shape({{"x1", 8, T::kI16}, {"y1", 10, T::kI16}, {"x2", 12, T::kI16}, {"y2", 14, T::kI16},
           {"bkMode", 16, T::kI16}, {"color", 18, T::kU32}, {"bkColor", 22, T::kU32}}),
    Shape({{"pattern", 8, T::kI16}, {"corner", 10, T::kI16}, {"x1", 12, T::kI16}, {"y1", 14, T::kI16},
           {"x2", 16, T::kI16}, {"y2", 18, T::kI16}, {"frame", 20, T::kI16}, {"bkMode", 22, T::kI16},
           {"color", 24, T::kU32}, {"bkColor", 28, T::kU32}}),
    {{"length", 0, T::kI16}, {"x", 2, T::kI16}, {"y", 4, T::kI16}, {"width", 6, T::kI16},
     {"height", 8, T::kI16}, {"font", 10, T::kI16}, {"size", 12, T::kU8}, {"underline", 13, T::kU8},
     {"strike", 14, T::kU8}, {"rotation", 15, T::kU8}, {"used", 16, T::kU8}, {"continues", 18, T::kU8},
     {"alignment", 19, T::kU8}, {"direction", 20, T::kU8}, {"bold", 21, T::kU8}, {"italic", 22, T::kU8},
     {"flow", 23, T::kU8}, {"lineOrder", 24, T::kU8}, {"lineSpacing", 25, T::kU8},
     {"charSpacing", 26, T::kU8}, {"text", 28, T::kText, 32}, {"color", 60, T::kU32}},
    {{"used", 0, T::kI16}, {"x1", 4, T::kI32}, {"y1", 8, T::kI32}, {"x2", 12, T::kI32},
     {"y2", 16, T::kI32}, {"tempCopy", 22, T::kI16}, {"nameLength", 24, T::kI16},
     {"fileName", 26, T::kText, 128}},
    Shape({{"pattern", 8, T::kI16}, {"x1", 10, T::kI16}, {"y1", 12, T::kI16}, {"x2", 14, T::kI16},
           {"y2", 16, T::kI16}, {"frame", 18, T::kI16}, {"bkMode", 20, T::kI16},
           {"color", 22, T::kU32}, {"bkColor", 26, T::kU32}}),
    {{"formatLength", 0, T::kI16}, {"number", 2, T::kI16}, {"x", 4, T::kI16}, {"y", 6, T::kI16},
     {"width", 8, T::kI16}, {"height", 10, T::kI16}, {"font", 12, T::kI16}, {"textX", 16, T::kI16},
     {"textY", 18, T::kI16}, {"frameWidth", 20, T::kU8}, {"size", 21, T::kU8},
     {"underline", 22, T::kU8}, {"strike", 23, T::kU8}, {"rotation", 24, T::kU8}, {"used", 25, T::kU8},
     {"continues", 27, T::kU8}, {"alignment", 28, T::kU8}, {"direction", 29, T::kU8},
     {"bold", 30, T::kU8}, {"italic", 31, T::kU8}, {"flow", 32, T::kU8}, {"lineOrder", 33, T::kU8},
     {"lineSpacing", 34, T::kU8}, {"charSpacing", 35, T::kU8}, {"format", 36, T::kText, 32},
     {"name", 68, T::kText, 20}, {"color", 88, T::kU32}},
    {{"word0", 0, T::kI16}, {"number", 2, T::kI16}, {"symbology", 8, T::kI16}, {"check", 10, T::kI16},
     {"direction", 12, T::kI16}, {"x1", 14, T::kI16}, {"y1", 16, T::kI16}, {"x2", 18, T::kI16},
     {"y2", 20, T::kI16}, {"name", 22, T::kText, 20}, {"color", 42, T::kU32}},
    Shape({{"pattern", 8, T::kI16}, {"shape", 10, T::kI16}, {"x1", 12, T::kI16}, {"y1", 14, T::kI16},
           {"x2", 16, T::kI16}, {"y2", 18, T::kI16}, {"xStart", 20, T::kI16}, {"yStart", 22, T::kI16},
           {"xEnd", 24, T::kI16}, {"yEnd", 26, T::kI16}, {"frame", 28, T::kI16}, {"bkMode", 30, T::kI16},
           {"color", 32, T::kU32}, {"bkColor", 36, T::kU32}}),
    {{"formatLength", 0, T::kI16}, {"number", 2, T::kI16}, {"x", 4, T::kI16}, {"y", 6, T::kI16},
     {"width", 8, T::kI16}, {"height", 10, T::kI16}, {"columns", 12, T::kI16}, {"rows", 14, T::kI16},
     {"font", 16, T::kI16}, {"textX", 20, T::kI16}, {"textY", 22, T::kI16}, {"gridWidth", 24, T::kU8},
     {"size", 25, T::kU8}, {"underline", 26, T::kU8}, {"strike", 27, T::kU8}, {"rotation", 28, T::kU8},
     {"used", 29, T::kU8}, {"continues", 31, T::kU8}, {"alignment", 32, T::kU8}, {"bold", 33, T::kU8},
     {"italic", 34, T::kU8}, {"format", 36, T::kText, 32}, {"name", 68, T::kText, 20},
     {"color", 88, T::kU32}},
    Shape({{"pattern", 8, T::kI16}, {"frame", 10, T::kI16}, {"bkMode", 12, T::kI16},
           {"points", 16, T::kI16}, {"color", 18, T::kU32}, {"bkColor", 22, T::kU32},
           {"xs", 26, T::kI16Array, 10}, {"ys", 46, T::kI16Array, 10}}),
    {{"word0", 0, T::kI16}, {"number", 2, T::kI16}, {"x1", 8, T::kI16}, {"y1", 10, T::kI16},
     {"x2", 12, T::kI16}, {"y2", 14, T::kI16}, {"name", 16, T::kText, 20}},
}};

constexpr std::array<std::string_view, 12> kNames = {
    "order", "lines", "boxes", "texts", "images", "ellipses", "dataFields", "barcodeFields",
    "arcs", "listFields", "polygons", "imageFields"};
}  // namespace

std::string_view KindName(int kind) { return kNames.at(kind); }
const std::vector<FieldDef>& FieldsOf(int kind) { return kFields.at(kind); }

}  // namespace fedtool
