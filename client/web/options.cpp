#include "client/web/options.h"

#include <cstdlib>

namespace tb::web {
namespace {

std::filesystem::path DefaultCacheDir() {
  if (const char* x = std::getenv("XDG_CACHE_HOME"); x != nullptr && *x == '/')
    return std::filesystem::path(x) / "tbclient";
  if (const char* h = std::getenv("HOME"); h != nullptr && *h == '/')
    return std::filesystem::path(h) / ".cache" / "tbclient";
  return std::filesystem::temp_directory_path() / "tbclient-cache";
}

}  // namespace

std::string Usage() {
  return "Usage: tbclient --share-root DIR --client-dir DIR [options]\n"
         "Serves the report pages to a web browser.\n\n"
         "  --share-root DIR     folder that stands for the share \\\\HOST\\vurodor (required)\n"
         "  --client-dir DIR     client folder holding TBWeb.ini and WEBLOG/ (required)\n"
         "  --listen HOST:PORT   address to listen on (default 127.0.0.1:8080)\n"
         "  --cache-dir DIR      folder for caches of imported Jet files\n"
         "                       (default $XDG_CACHE_HOME/tbclient or ~/.cache/tbclient)\n"
         "  --form-library PATH  form-printing library to load on the first print\n"
         "                       (default ../lib/libfmdraw32.so beside the program)\n"
         "  --archive DIR        report archive folder (tbarchive) to show under /archive/\n"
         "  --help               this text\n";
}

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

std::optional<Options> ParseOptions(const std::vector<std::string>& args,
                                    const std::filesystem::path& exeDir, std::string* error) {
  Options o;
  auto fail = [&](std::string why) -> std::optional<Options> {
    *error = std::move(why);
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
      return o;
    }
    auto value = [&]() -> const std::string* {
      return i + 1 < args.size() ? &args[++i] : nullptr;
    };
    const std::string* v = nullptr;
    if (a == "--share-root" || a == "--client-dir" || a == "--listen" || a == "--cache-dir" ||
        a == "--form-library" || a == "--archive") {
      v = value();
      if (v == nullptr || v->empty()) return fail(a + " needs a value");
    } else {
      return fail("unknown option: " + a);
    }
    if (a == "--share-root") o.shareRoot = *v;
    if (a == "--client-dir") o.clientDir = *v;
    if (a == "--cache-dir") o.cacheDir = *v;
    if (a == "--form-library") o.formLibrary = *v;
    if (a == "--archive") o.archiveDir = *v;
    if (a == "--listen" && !ParseListen(*v, &o.host, &o.port))
      return fail("--listen wants HOST:PORT, got " + *v);
  }
  std::error_code ec;
  if (o.shareRoot.empty()) return fail("--share-root is required");
  if (o.clientDir.empty()) return fail("--client-dir is required");
  if (!std::filesystem::is_directory(o.shareRoot, ec))
    return fail("share root is not a folder: " + o.shareRoot.string());
  if (!std::filesystem::is_directory(o.clientDir, ec))
    return fail("client folder is not a folder: " + o.clientDir.string());
  if (o.cacheDir.empty()) o.cacheDir = DefaultCacheDir();
  if (o.formLibrary.empty()) o.formLibrary = exeDir / ".." / "lib" / "libfmdraw32.so";
  o.shareRoot = std::filesystem::absolute(o.shareRoot, ec);
  o.clientDir = std::filesystem::absolute(o.clientDir, ec);
  if (!o.archiveDir.empty()) o.archiveDir = std::filesystem::absolute(o.archiveDir, ec);
  return o;
}

}  // namespace tb::web
