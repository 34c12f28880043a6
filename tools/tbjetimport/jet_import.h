// The whole import: every user table of an Access file (Jet 3, Jet 4, ACE) into a new
// SQLite file. System tables (MSys...) and linked tables are left out.
#pragma once

#include <filesystem>

namespace tb::jetimport {

// Requires: `target` does not exist. Throws ImportError (with the exit code for
// tbjetimport); on failure `target` may be left half written and the caller removes it.
void ImportJetFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace tb::jetimport
