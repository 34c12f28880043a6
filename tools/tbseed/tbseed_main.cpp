// tbseed: writes the demo share (see seed_share.h and tools/README.md).
#include <ctime>
#include <iostream>

#include "tools/tbseed/seed_options.h"

namespace {

std::chrono::year_month_day Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << tbseed::SeedUsage();
    return 0;
  }
  auto parsed = tbseed::ParseSeedArgs(args, Today());
  if (auto* err = std::get_if<tbseed::ArgError>(&parsed)) {
    std::cerr << "tbseed: " << err->message << "\n" << tbseed::SeedUsage();
    return 2;
  }
  const auto& options = std::get<tbseed::SeedOptions>(parsed);
  try {
    auto summary = tbseed::SeedShare(options);
    std::cout << "tbseed: " << summary.plant.tags.size() << " tags; pages daily "
              << summary.plant.layouts[0].maxPage << ", monthly " << summary.plant.layouts[1].maxPage
              << ", yearly " << summary.plant.layouts[2].maxPage << "; rows daily "
              << summary.dailyRows << ", monthly " << summary.monthlyRows << ", yearly "
              << summary.yearlyRows << "\n"
              << "tbseed: share " << options.shareRoot.string() << ", client folder "
              << options.clientDir.string() << "\n";
  } catch (const std::exception& e) {
    std::cerr << "tbseed: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
