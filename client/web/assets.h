// The browser's files (page shell, script, style sheet), compiled into the program. The
// server looks a requested name up in this fixed set and never touches the file system,
// so no URL can reach a file outside it.
#pragma once

#include <string_view>
#include <vector>

namespace tb::web {

struct EmbeddedFile {
  std::string_view name;  // "client.js"
  std::string_view data;
};

// Every embedded file (generated at build time from client/web/assets/).
const std::vector<EmbeddedFile>& EmbeddedFiles();

// The file of that exact name, or nullptr.
const EmbeddedFile* FindAsset(std::string_view name);

// The Content-Type of a file name by its extension.
std::string_view ContentTypeOf(std::string_view name);

}  // namespace tb::web
