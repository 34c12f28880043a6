// The field-name matcher agrees with the plain rule (the stored bytes up to the first NUL
// equal the name) for every length around its eight-byte word and the 20-byte limit,
// with junk after the stored name's NUL, and names that differ at any one position.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formdraw/form/form_format.h"

namespace fmdraw::form {
namespace {

constexpr std::size_t kBytes = 20;

bool PlainRule(const uint8_t* stored, std::string_view name) {
  const char* p = reinterpret_cast<const char*>(stored);
  return std::string_view(p, strnlen(p, kBytes)) == name;
}

TEST(StoredNameMatcher, AgreesWithThePlainRule) {
  std::mt19937 random(7);
  auto letter = [&] { return static_cast<char>('A' + random() % 3); };  // few letters: many near misses
  long compared = 0, matched = 0;
  for (std::size_t storedLength = 0; storedLength <= kBytes; ++storedLength) {
    for (int round = 0; round < 40; ++round) {
      std::vector<uint8_t> stored(kBytes + 4, 0);
      for (std::size_t i = 0; i < storedLength; ++i) stored[i] = static_cast<uint8_t>(letter());
      for (std::size_t i = storedLength + 1; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(random());
      const std::string same(stored.begin(), stored.begin() + static_cast<long>(storedLength));
      std::vector<std::string> names = {same, same + letter(), same.substr(0, same.size() / 2), ""};
      if (!same.empty()) names.push_back(same.substr(0, same.size() - 1));
      for (std::size_t at = 0; at < same.size(); ++at) {
        std::string changed = same;
        changed[at] = changed[at] == 'A' ? 'B' : 'A';
        names.push_back(changed);
      }
      for (const std::string& name : names) {
        const bool expected = PlainRule(stored.data(), name);
        EXPECT_EQ(StoredNameMatcher(name, kBytes).Matches(stored.data()), expected)
            << "stored length " << storedLength << ", name \"" << name << "\"";
        ++compared;
        matched += expected;
      }
    }
  }
  EXPECT_GT(matched, 800);  // the rows exercise both outcomes
  EXPECT_GT(compared - matched, 8000);
}

}  // namespace
}  // namespace fmdraw::form
