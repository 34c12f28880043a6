#include "client/web/assets.h"

namespace tb::web {

const EmbeddedFile* FindAsset(std::string_view name) {
  for (const auto& f : EmbeddedFiles())
    if (f.name == name) return &f;
  return nullptr;
}

std::string_view ContentTypeOf(std::string_view name) {
  if (name.ends_with(".js")) return "text/javascript; charset=utf-8";
  if (name.ends_with(".css")) return "text/css; charset=utf-8";
  if (name.ends_with(".html")) return "text/html; charset=utf-8";
  if (name.ends_with(".svg")) return "image/svg+xml";
  if (name.ends_with(".txt")) return "text/plain; charset=utf-8";
  return "application/octet-stream";
}

}  // namespace tb::web
