// Round trip of the form tool: dump then compile gives the file back (random words and
// check value aside), and edited fields reach the bytes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "formdraw/form/form_data.h"
#include "formdraw/form/form_format.h"
#include "formdraw/form/file_search.h"
#include "tools/fedtool/fed_json.h"

namespace {

std::vector<uint8_t> Seed(const std::string& name) {
  std::string path = std::string(std::getenv("TB_SOURCE_DIR")) + "/formdraw/form/testdata/fed_corpus/" + name;
  return *fmdraw::form::ReadFileBytes(path);
}

// Header words 13 to 19 (random words and check value) are the writer's own.
void ClearWriterWords(std::vector<uint8_t>& bytes, std::size_t headerAt) {
  for (std::size_t i = 26; i < 40; ++i) bytes[headerAt + i] = 0;
}

TEST(FedJson, RoundTripKeepsEveryOtherByte) {
  for (const char* name : {"line.fed", "text.fed"}) {
    auto original = Seed(name);
    auto dumped = fedtool::Dump(original);
    ASSERT_EQ(dumped.error, 0) << name;
    auto compiled = fedtool::Compile(dumped.json);
    ASSERT_EQ(compiled.size(), original.size()) << name;
    std::size_t headerAt = std::string(original.begin(), original.end()).find("99\r\n") + 4;
    ClearWriterWords(original, headerAt);
    ClearWriterWords(compiled, headerAt);
    EXPECT_EQ(compiled, original) << name;
  }
}

TEST(FedJson, EditedFieldsAndTexts) {
  auto dumped = fedtool::Dump(Seed("line.fed"));
  ASSERT_EQ(dumped.error, 0);
  auto& j = dumped.json;
  EXPECT_EQ(j["textRecords"][0]["face"], "ＭＳ 明朝");
  EXPECT_EQ(j["textRecords"][1]["text"], "a,b");
  j["records"]["lines"][0]["x2"] = 1440;
  auto again = fedtool::Dump(fedtool::Compile(j));
  ASSERT_EQ(again.error, 0);
  EXPECT_EQ(again.json["records"]["lines"][0]["x2"], 1440);
  // Lines 3 to 5 are three: any more given are left out.
  j["lines3to5"] = {"a", "b", "c", "d", "e", "f", "g", "h"};
  again = fedtool::Dump(fedtool::Compile(j));
  ASSERT_EQ(again.error, 0);
  EXPECT_EQ(again.json["lines3to5"], (nlohmann::ordered_json{"a", "b", "c"}));
  j["textRecords"][0]["face"] = std::string(33, 'a');
  EXPECT_THROW(fedtool::Compile(j), std::runtime_error);
  EXPECT_NE(fedtool::Dump(Seed("badcheck.fed")).error, 0);
}

TEST(FedJson, TextPartsThatWouldNotReadBackAreRefused) {
  const auto base = fedtool::Dump(Seed("line.fed"));
  ASSERT_EQ(base.error, 0);
  const std::vector<std::pair<const char*, nlohmann::ordered_json>> bad = {
      {"code below 300", {{"line", "12,x"}}},
      {"empty line", {{"line", ""}}},
      {"line break inside", {{"line", "350,a\r\n12"}}},
      {"negative font number", {{"font", -200}, {"face", "x"}}},
      {"line over 511 bytes", {{"line", "350," + std::string(600, 'x')}}},
  };
  for (const auto& [what, record] : bad) {
    auto j = base.json;
    j["textRecords"].push_back(record);
    EXPECT_THROW(fedtool::Compile(j), std::runtime_error) << what;
  }
  auto j = base.json;
  j["lines3to5"][0] = "a\r\nb";
  EXPECT_THROW(fedtool::Compile(j), std::runtime_error) << "line break in line 3";
  j = base.json;
  j["textRecords"].push_back({{"line", "350,kept"}});
  EXPECT_NO_THROW(fedtool::Compile(j));
}

TEST(FedJson, SampleCompilesToALoadableForm) {
  std::ifstream in(std::string(std::getenv("TB_SOURCE_DIR")) + "/tools/fedtool/examples/sample.json");
  auto bytes = fedtool::Compile(nlohmann::ordered_json::parse(in, nullptr, true, true));
  fmdraw::form::FormData form;
  ASSERT_EQ(fmdraw::form::LoadForm(bytes, form), 0);
  EXPECT_EQ(form.counts[fmdraw::form::kOrder], 4);
  EXPECT_EQ(form.counts[fmdraw::form::kFontTable], 2);
  EXPECT_EQ(fmdraw::form::GetI16(form.Record(fmdraw::form::kText, 0) + 10), 1) << "font id 2 is entry 1";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(form.Record(fmdraw::form::kDataField, 0) + 68)), "VALUE1");
}

}  // namespace
