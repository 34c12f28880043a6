// The catalogue of the demo works and the page layout built from it.
#include "tools/tbseed/plant_model.h"

#include <algorithm>
#include <set>

namespace tbseed {
namespace {

struct Template {
  const char* mid;
  const char* small;
  const char* unit;
  const char* digits;
  Behaviour behaviour;
  double base, spread;
  bool total;
};

struct Group {
  const char* big;
  std::vector<Template> items;
  bool yearly;  // also on the yearly report
};

using B = Behaviour;

// One train of the works, in the order of the water's way. Each group is one large
// heading; its tags stand side by side on a page.
const std::vector<Group>& Catalogue() {
  static const std::vector<Group> groups = {
      {"取水",
       {{"取水量", "1号", "m3/h", "0.0", B::kFlow, 820, 120, true},
        {"取水量", "2号", "m3/h", "0.0", B::kFlow, 640, 90, true},
        {"原水濁度", "", "度", "0.00", B::kQuality, 4.5, 3.0, false},
        {"原水水温", "", "℃", "0.0", B::kTemperature, 15, 9, false},
        {"原水pH", "", "pH", "0.00", B::kQuality, 7.2, 0.3, false}},
       true},
      {"沈殿池",
       {{"沈殿水濁度", "1系", "度", "0.00", B::kQuality, 0.8, 0.4, false},
        {"沈殿水濁度", "2系", "度", "0.00", B::kQuality, 0.9, 0.4, false},
        {"汚泥引抜量", "", "m3", "0", B::kFlow, 12, 4, true}},
       false},
      {"ろ過池",
       {{"ろ過水量", "", "m3/h", "0.0", B::kFlow, 1400, 180, true},
        {"ろ過水濁度", "", "度", "0.00", B::kQuality, 0.04, 0.02, false},
        {"損失水頭", "1池", "m", "0.00", B::kLevel, 1.2, 0.3, false},
        {"損失水頭", "2池", "m", "0.00", B::kLevel, 1.1, 0.3, false}},
       true},
      {"薬品注入",
       {{"PAC注入率", "", "mg/L", "0.0", B::kQuality, 28, 6, false},
        {"次亜注入率", "前", "mg/L", "0.00", B::kQuality, 1.6, 0.3, false},
        {"次亜注入率", "後", "mg/L", "0.00", B::kQuality, 0.9, 0.2, false},
        {"苛性ソーダ注入率", "", "mg/L", "0.0", B::kQuality, 5, 1.5, false}},
       false},
      {"配水池",
       {{"配水池水位", "1号", "m", "0.00", B::kLevel, 4.2, 0.8, false},
        {"配水池水位", "2号", "m", "0.00", B::kLevel, 4.0, 0.8, false},
        {"配水量", "", "m3/h", "", B::kFlow, 1350, 260, true},
        {"残留塩素", "", "mg/L", "0.00", B::kQuality, 0.45, 0.08, false}},
       true},
      {"送水ポンプ",
       {{"運転時間", "1号", "時間", "0", B::kRunContinuous, 60, 0, true},
        {"運転時間", "2号", "時間", "0", B::kRunDaytime, 60, 0, true},
        {"運転時間", "3号", "時間", "0", B::kRunStandby, 60, 0, true},
        {"吐出圧力", "", "MPa", "0.00", B::kLevel, 0.42, 0.05, false}},
       true},
      {"電力",
       {{"受電電力量", "", "kWh", "0", B::kEnergy, 610, 140, true},
        {"最大需要電力", "", "kW", "0", B::kEnergy, 700, 120, false},
        {"力率", "", "%", "0.0", B::kQuality, 98.5, 0.8, false},
        {"発電電力量", "太陽光", "kWh", "0.0", B::kSolar, 45, 15, true}},
       true},
      {"気象",
       {{"外気温", "", "℃", "0.0", B::kTemperature, 16, 11, false},
        {"降水量", "", "mm", "0.0", B::kRain, 0, 6, true}},
       false},
      {"設定値",
       {{"目標残留塩素", "", "mg/L", "0.00", B::kSetpoint, 0.45, 0, false},
        {"取水量設定", "", "m3/h", "0", B::kSetpoint, 1500, 0, false}},
       false},
  };
  return groups;
}

bool IsRuntime(Behaviour b) {
  return b == B::kRunContinuous || b == B::kRunDaytime || b == B::kRunStandby;
}

// Numbers names in the order they are first used.
int NameNo(std::map<int, std::string>& names, const std::string& name) {
  for (const auto& [no, n] : names)
    if (n == name) return no;
  int no = static_cast<int>(names.size()) + 1;
  names[no] = name;
  return no;
}

Tag MakeTag(Plant& plant, int id, const std::string& big, const Template& t) {
  Tag tag;
  tag.id = id;
  tag.bigNo = NameNo(plant.bigNames, big);
  tag.midNo = NameNo(plant.midNames, t.mid);
  tag.smallNo = NameNo(plant.smallNames, t.small);
  tag.unitNo = NameNo(plant.unitNames, t.unit);
  tag.name = big + " " + t.mid + (*t.small ? std::string(" ") + t.small : "");
  tag.digits = t.digits;
  tag.behaviour = t.behaviour;
  tag.base = t.base;
  tag.spread = t.spread;
  tag.total = t.total;
  tag.displayType = IsRuntime(t.behaviour) ? 6 : 1;
  tag.kind = IsRuntime(t.behaviour) ? 3 : t.behaviour == B::kSetpoint ? 2 : 1;
  tag.clean = IsRuntime(t.behaviour) || t.behaviour == B::kSetpoint;
  if (t.behaviour == B::kQuality || t.behaviour == B::kLevel) {
    tag.maxText = std::to_string(static_cast<int>(t.base + 10 * t.spread + 1));
    tag.minText = "0";
  }
  return tag;
}

// A tag group as placed on pages: its tags' ids and its heading.
struct PlacedGroup {
  std::string big;
  std::vector<int> tagIds;
  bool yearly;
};

// Places groups on pages of 15 columns; a group that does not fit on the current page
// starts a new one, so pages often hold fewer than 15 tags. One page number is left
// without rows (from the third page on) as installations have after removing a page.
KindLayout LayOut(const std::vector<PlacedGroup>& groups, int gapAfter) {
  KindLayout k;
  int page = 1, column = 0;
  std::map<int, std::vector<std::string>> heads;
  for (const auto& g : groups) {
    for (std::size_t start = 0; start < g.tagIds.size();) {
      int want = static_cast<int>(std::min<std::size_t>(g.tagIds.size() - start, 15));
      if (column > 0 && column + want > 15) {
        ++page;
        column = 0;
        if (page == gapAfter + 1 && k.emptyPage == 0) k.emptyPage = page++;
      }
      for (int i = 0; i < want; ++i)
        k.placements.push_back({g.tagIds[start + static_cast<std::size_t>(i)], page, ++column});
      if (heads[page].empty() || heads[page].back() != g.big) heads[page].push_back(g.big);
      start += static_cast<std::size_t>(want);
    }
  }
  k.maxPage = page;
  for (int p = 1; p <= k.maxPage; ++p) {
    std::string title;
    for (const auto& h : heads[p]) title += (title.empty() ? "" : "・") + h;
    k.titles[p] = title.empty() ? "予備" : title;
    // Every fourth page and the empty one are left out of printing.
    if (p != k.emptyPage && p % 4 != 0) k.printPages.push_back(p);
  }
  return k;
}

}  // namespace

int Decimals(const std::string& digits) {
  auto dot = digits.find('.');
  return dot == std::string::npos ? 0 : static_cast<int>(digits.size() - dot - 1);
}

Plant BuildPlant(int tagCount) {
  Plant plant;
  std::vector<PlacedGroup> groups;
  int id = 0;
  for (int train = 1; id < tagCount; ++train) {
    for (const auto& g : Catalogue()) {
      if (id >= tagCount) break;
      std::string big = train == 1 ? g.big : std::string(g.big) + "(" + std::to_string(train) + "系)";
      PlacedGroup placed{big, {}, g.yearly};
      for (const auto& t : g.items) {
        if (id >= tagCount) break;
        // Ids leave gaps as installations have after tags were removed.
        const int tagId = 100 + id * 2 + (id % 7 == 3 ? 1 : 0);
        plant.tags.push_back(MakeTag(plant, tagId, big, t));
        placed.tagIds.push_back(tagId);
        ++id;
      }
      groups.push_back(std::move(placed));
    }
  }
  plant.layouts[0] = LayOut(groups, 2);
  plant.layouts[1] = LayOut(groups, 3);
  std::vector<PlacedGroup> yearly;
  for (const auto& g : groups)
    if (g.yearly) yearly.push_back(g);
  plant.layouts[2] = LayOut(yearly.empty() ? groups : yearly, 2);
  return plant;
}

}  // namespace tbseed
