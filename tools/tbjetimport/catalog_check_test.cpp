#include "tools/tbjetimport/catalog_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tb::jetimport {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t v) {
  b.push_back(v & 0xff);
  b.push_back((v >> 8) & 0xff);
}
void Put32(Bytes& b, std::size_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}
// A block of the record: its length (head included), its type, its body.
Bytes Block(std::uint16_t type, const Bytes& body, long lengthChange = 0) {
  Bytes b;
  Put32(b, static_cast<std::size_t>(static_cast<long>(body.size() + 6) + lengthChange));
  Put16(b, type);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}
Bytes Names(const std::vector<std::string>& names) {
  Bytes b;
  for (const auto& n : names) {
    Put16(b, n.size());
    b.insert(b.end(), n.begin(), n.end());
  }
  return b;
}
// One property entry: name number `name`, a value of `value` bytes.
Bytes Entry(std::size_t name, std::size_t value, long lengthChange = 0) {
  Bytes b;
  Put16(b, static_cast<std::size_t>(static_cast<long>(8 + value) + lengthChange));
  b.push_back(0);
  b.push_back(10);  // a text value
  Put16(b, name);
  Put16(b, value);
  b.insert(b.end(), value, 'v');
  return b;
}
Bytes Properties(const std::string& blockName, const std::vector<Bytes>& entries) {
  Bytes b;
  Put32(b, 0);
  Put16(b, blockName.size());
  b.insert(b.end(), blockName.begin(), blockName.end());
  for (const auto& e : entries) b.insert(b.end(), e.begin(), e.end());
  return b;
}
Bytes Record(const std::vector<Bytes>& blocks, const char* format = "KKD") {
  Bytes b(format, format + 4);
  for (const auto& x : blocks) b.insert(b.end(), x.begin(), x.end());
  return b;
}
bool Sound(const Bytes& b) { return PropertyRecordIsSound(b.data(), b.size()); }

const Bytes kNames = Block(0x80, Names({"Caption", "Format"}));

TEST(CatalogCheck, WellFormedRecordsPass) {
  EXPECT_TRUE(Sound(Record({kNames, Block(0x00, Properties("", {Entry(0, 4), Entry(1, 0)}))})));
  EXPECT_TRUE(Sound(Record({kNames, Block(0x01, Properties("Value", {Entry(1, 3)})),
                            Block(0x02, Properties("x", {}))}, "MR2")));
  // Properties before any name list and unknown block types are skipped by the reader.
  EXPECT_TRUE(Sound(Record({Block(0x00, {1, 2, 3}), Block(0x33, {9}), kNames})));
  // Entries the reader stops at by itself: a name number past the list, a value past the block.
  EXPECT_TRUE(Sound(Record({kNames, Block(0x00, Properties("", {Entry(2, 1, -9)}))})));
  Bytes cut = Properties("", {Entry(0, 4)});
  cut.resize(cut.size() - 2);
  EXPECT_TRUE(Sound(Record({kNames, Block(0x00, cut)})));
  // A record of another format is not parsed at all.
  EXPECT_TRUE(Sound(Bytes{'A', 'B', 'C', 0, 0, 0}));
}

// Each of these made the reader loop without end or read past the record.
TEST(CatalogCheck, LengthsThatStallOrOverrunTheWalkAreRefused) {
  EXPECT_FALSE(Sound(Bytes{'K', 'K'}));
  EXPECT_FALSE(Sound(Record({kNames, Block(0x00, Properties("", {}), -6)})));  // block length 0
  EXPECT_FALSE(Sound(Record({kNames, Block(0x00, Properties("", {}), -1)})));  // shorter than its head
  EXPECT_FALSE(Sound(Record({kNames, Block(0x00, Properties("", {}), +1)})));  // past the record
  EXPECT_FALSE(Sound(Record({kNames, Bytes{5, 0, 0}})));                        // head cut off
  EXPECT_FALSE(Sound(Record({kNames, Block(0x00, Properties("", {Entry(0, 2, -10)}))})));  // entry length 0
  EXPECT_FALSE(Sound(Record({kNames, Block(0x00, Properties("", {Entry(0, 2, -3)}))})));   // under its head
  EXPECT_FALSE(Sound(Record({kNames, Block(0x00, Properties("", {Entry(0, 2, +1)}))})));   // past the block
  Bytes longName = Properties("ab", {});
  longName[4] = 9;  // the block's name runs past the block
  EXPECT_FALSE(Sound(Record({kNames, Block(0x01, longName)})));
  Bytes names = Names({"Caption"});
  names[0] = 40;  // a property name running past the list
  EXPECT_FALSE(Sound(Record({Block(0x80, names)})));
  EXPECT_FALSE(Sound(Record({Block(0x80, {3})})));  // a name length cut in half
}

}  // namespace
}  // namespace tb::jetimport
