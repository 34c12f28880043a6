#include "client/web/options.h"

#include <cstdlib>

#include "tb_version.h"

namespace tb::web {
namespace {

std::filesystem::path DefaultCacheDir() {
  if (const char* x = std::getenv("XDG_CACHE_HOME"); x != nullptr && *x == '/')
    return std::filesystem::path(x) / "tbclient";
  if (const char* h = std::getenv("HOME"); h != nullptr && *h == '/')
    return std::filesystem::path(h) / ".cache" / "tbclient";
  return std::filesystem::temp_directory_path() / "tbclient-cache";
}

bool TakesValue(const std::string& flag) {
  return flag == "--share-root" || flag == "--client-dir" || flag == "--listen" ||
         flag == "--cache-dir" || flag == "--printer-dir" || flag == "--form-library" ||
         flag == "--archive" || flag == "--config";
}

// One setting, from the command line or the configuration file; the reason when refused.
std::optional<std::string> Apply(Options& o, std::string_view name, const std::string& value) {
  if (value.empty()) return std::string(name) + " needs a value";
  if (name == "listen") {
    if (!ParseListen(value, &o.host, &o.port)) return "listen wants HOST:PORT, got " + value;
    return std::nullopt;
  }
  if (!SetInstallationSetting(o, name, value)) return "unknown setting '" + std::string(name) + "'";
  return std::nullopt;
}

// The configuration file's shared settings, then those of [tbclient].
std::optional<std::string> ApplyConfig(Options& o) {
  std::string error;
  auto config = LoadInstallationConfig(o.configFile, "tbclient", &error);
  if (!config) return error;
  static_cast<InstallationSettings&>(o) = config->shared;
  for (const auto& e : config->own) {
    auto why = Apply(o, e.key, e.value);
    if (!why && e.key != "listen" && e.value.front() != '/') why = e.key + " wants an absolute path";
    if (why) return o.configFile.string() + ":" + std::to_string(e.line) + ": " + *why;
  }
  return std::nullopt;
}

std::optional<std::string> CheckFolders(const Options& o) {
  if (o.shareRoot.empty()) return "--share-root is required";
  if (o.clientDir.empty()) return "--client-dir is required";
  if (auto why = UnreadableFolder(o.shareRoot, "share root")) return why;
  if (auto why = UnreadableFolder(o.clientDir, "client folder")) return why;
  if (!o.printerDir.empty())
    if (auto why = UnreadableFolder(o.printerDir, "printer settings folder")) return why;
  return std::nullopt;
}

}  // namespace

std::string Usage() {
  return "Usage: tbclient --share-root DIR --client-dir DIR [options]\n"
         "       tbclient --config FILE [options]\n"
         "Serves the report pages to a web browser.\n\n"
         "  --share-root DIR     folder that stands for the share \\\\HOST\\vurodor (required)\n"
         "  --client-dir DIR     client folder holding TBWeb.ini and WEBLOG/ (required)\n"
         "  --listen HOST:PORT   address to listen on (default 127.0.0.1:8080)\n"
         "  --cache-dir DIR      folder for caches of imported Jet files\n"
         "                       (default $XDG_CACHE_HOME/tbclient or ~/.cache/tbclient)\n"
         "  --printer-dir DIR    printer settings folder (printers.ini, win.ini)\n"
         "                       (default $FMDRAW_WINDIR, else ~/.fmdraw)\n"
         "  --form-library PATH  form-printing library to load on the first print\n"
         "  --archive DIR        report archive folder (tbarchive) to show under /archive/\n"
         "  --config FILE        read the settings above from FILE (for example\n"
         "                       /etc/tbclient/tbclient.conf); flags given here win\n"
         "  --version            the program's version\n"
         "  --help               this text\n";
}

std::string VersionLine() { return std::string("tbclient ") + tb::kVersion + "\n"; }

bool ParseListen(std::string_view text, std::string* host, int* port) {
  auto colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  auto h = text.substr(0, colon);
  auto p = text.substr(colon + 1);
  if (h.front() == '[') {
    if (h.back() != ']' || h.size() < 3) return false;
    h = h.substr(1, h.size() - 2);
  } else if (h.find(':') != std::string_view::npos) {
    return false;
  }
  if (p.empty() || p.size() > 5) return false;
  int n = 0;
  for (char c : p) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n < 0 || n > 65535) return false;
  *host = std::string(h);
  *port = n;
  return true;
}

std::filesystem::path DefaultFormLibrary(const std::filesystem::path& exeDir) {
  const auto buildTree = exeDir / ".." / "lib" / "libfmdraw32.so";
  std::error_code ec;
  if (std::filesystem::exists(buildTree, ec)) return buildTree;
  return exeDir / ".." / tb::kInstallLibDir / "libfmdraw32.so";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args,
                                    const std::filesystem::path& exeDir, std::string* error) {
  Options o;
  auto fail = [&](std::string why) -> std::optional<Options> {
    *error = std::move(why);
    return std::nullopt;
  };
  // First the flags that end parsing or bring in the file, wherever they stand.
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") return o.help = true, o;
    if (args[i] == "--version") return o.version = true, o;
    if (TakesValue(args[i])) {
      if (i + 1 >= args.size() || args[i + 1].empty()) return fail(args[i] + " needs a value");
      if (args[i] == "--config") o.configFile = args[i + 1];
      ++i;
    } else {
      return fail("unknown option: " + args[i]);
    }
  }
  if (!o.configFile.empty())
    if (auto why = ApplyConfig(o)) return fail(*why);
  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (args[i] == "--config") continue;
    if (auto why = Apply(o, std::string_view(args[i]).substr(2), args[i + 1]))
      return fail(why->starts_with("listen") ? "--" + *why : *why);
  }
  if (auto why = CheckFolders(o)) return fail(*why);
  if (o.cacheDir.empty()) o.cacheDir = DefaultCacheDir();
  if (o.formLibrary.empty()) o.formLibrary = DefaultFormLibrary(exeDir);
  std::error_code ec;
  o.shareRoot = std::filesystem::absolute(o.shareRoot, ec);
  o.clientDir = std::filesystem::absolute(o.clientDir, ec);
  if (!o.printerDir.empty()) o.printerDir = std::filesystem::absolute(o.printerDir, ec);
  if (!o.archiveDir.empty()) o.archiveDir = std::filesystem::absolute(o.archiveDir, ec);
  return o;
}

}  // namespace tb::web
