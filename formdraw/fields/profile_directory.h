// FmSetProfile: records one of the form editor's directories in FMKEBRS.ini in the
// Windows directory (FMDRAW_WINDIR), section "Directory", key "Form", "Image" or "Text".
// The original platform stored the short (8.3) form of the path; this file system has
// no short names, so the directory is written as given, and only when it exists.
#pragma once

namespace fmdraw::fields {

// Non-zero when the entry was written; 0 for a null argument, another kind, a directory
// that does not exist or a profile file that cannot be written.
[[nodiscard]] int SetProfileDirectory(const char* directory, const char* kind);

}  // namespace fmdraw::fields
