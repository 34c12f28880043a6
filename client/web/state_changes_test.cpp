// Change lists between published states: applied to the state before (as the page does),
// they give the state after, for the kinds of change the pages make; and a small change
// stays small.
#include "client/web/state_changes.h"

#include <gtest/gtest.h>

namespace tb::web {
namespace {

using nlohmann::json;

// Applies a change list the way assets/state_changes.js does.
json Apply(json state, const json& changes) {
  for (const auto& op : changes) {
    const json& path = op[0];
    if (path.empty()) {
      state = op[1];
      continue;
    }
    json* at = &state;
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
      at = path[i].is_string() ? &(*at)[path[i].get<std::string>()] : &(*at)[path[i].get<std::size_t>()];
    const json& last = path.back();
    if (op.size() > 1) {
      if (last.is_string()) (*at)[last.get<std::string>()] = op[1];
      else (*at)[last.get<std::size_t>()] = op[1];
    } else {
      EXPECT_TRUE(last.is_string()) << "only object members are removed";
      if (last.is_string()) at->erase(last.get<std::string>());
    }
  }
  return state;
}

json Grid(int rows, const std::string& fill) {
  json cells = json::array();
  for (int r = 0; r < rows; ++r) cells.push_back(json::array({fill + std::to_string(r), "", r}));
  return cells;
}

json State() {
  return json{{"page", 3},
              {"status", "読込中"},
              {"doc", {{"controls", json::array({{{"id", "lblTime"}, {"caption", "10:00"}},
                                                 {{"id", "grdGrid"}, {"grid", {{"cells", Grid(30, "a")}}}}})},
                       {"timers", json::array({"Timer1"})}}}};
}

TEST(StateChanges, AppliedToTheStateBeforeTheyGiveTheStateAfter) {
  const json before = State();
  std::vector<std::pair<const char*, json>> afters;
  auto edit = [&](const char* what, auto change) {
    json after = before;
    change(after);
    afters.emplace_back(what, after);
  };
  edit("a label", [](json& s) { s["doc"]["controls"][0]["caption"] = "10:01"; });
  edit("one cell", [](json& s) { s["doc"]["controls"][1]["grid"]["cells"][7][0] = "x"; });
  edit("every cell", [](json& s) { s["doc"]["controls"][1]["grid"]["cells"] = Grid(30, "b"); });
  edit("rows added", [](json& s) { s["doc"]["controls"][1]["grid"]["cells"] = Grid(31, "a"); });
  edit("a member gone, one new", [](json& s) {
    s.erase("status");
    s["msgbox"] = {{"id", 4}, {"text", "データがありません"}};
  });
  edit("a timer stopped", [](json& s) { s["doc"]["timers"] = json::array(); });
  edit("a value of another type", [](json& s) { s["doc"]["controls"][0]["caption"] = nullptr; });
  edit("another page", [](json& s) { s = json{{"page", 4}}; });
  for (const auto& [what, after] : afters) EXPECT_EQ(Apply(before, StateChanges(before, after)), after) << what;
  EXPECT_EQ(Apply(json(), StateChanges(json(), before)), before) << "from nothing";
}

TEST(StateChanges, ASmallChangeIsASmallList) {
  const json before = State();
  EXPECT_TRUE(StateChanges(before, before).empty());
  json after = before;
  after["doc"]["controls"][1]["grid"]["cells"][7][0] = "x";
  after["doc"]["controls"][0]["caption"] = "10:01";
  const json changes = StateChanges(before, after);
  ASSERT_EQ(changes.size(), 2u) << changes.dump();
  // A cell row (plain values) goes whole; nothing above it does.
  EXPECT_EQ(changes[0], json::parse(R"([["doc","controls",0,"caption"],"10:01"])"));
  EXPECT_EQ(changes[1], json::parse(R"([["doc","controls",1,"grid","cells",7],["x","",7]])"));
}

}  // namespace
}  // namespace tb::web
