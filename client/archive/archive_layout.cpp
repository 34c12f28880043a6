#include "client/archive/archive_layout.h"

#include "client/core/formatting.h"

namespace tb::archive {

std::filesystem::path ManifestFolder(const Period& p) {
  const std::filesystem::path kind{std::string(KindName(p.kind))};
  switch (p.kind) {
    case Kind::kDaily: return kind / FormatDate(p.date, "yyyy") / FormatDate(p.date, "mm");
    case Kind::kMonthly: return kind / FormatDate(p.date, "yyyy");
    case Kind::kYearly: return kind;
  }
  return kind;
}

std::string PeriodStem(const Period& p) {
  switch (p.kind) {
    case Kind::kDaily: return FormatDate(p.date, "yyyy-mm-dd");
    case Kind::kMonthly: return FormatDate(p.date, "yyyy-mm");
    case Kind::kYearly: return FormatDate(p.date, "yyyy");
  }
  return {};
}

std::string VersionStem(const Period& p, int version) {
  std::string stem = PeriodStem(p);
  if (version > 1) stem += ".v" + std::to_string(version);
  return stem;
}

int ManifestDepth(std::string_view kindFolder) {
  const auto kind = KindFromName(kindFolder);
  if (!kind) return 0;
  return *kind == Kind::kDaily ? 3 : *kind == Kind::kMonthly ? 2 : 1;
}

}  // namespace tb::archive
