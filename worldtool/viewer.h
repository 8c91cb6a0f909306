#pragma once

#include <optional>
#include <string>

namespace tovren {

// Opens a file in the desktop's program for it: xdg-open on Linux, the shell's default program
// on Windows. Returns why it could not, or nothing when it did.
std::optional<std::string> openInViewer(const std::string& path);

} // namespace tovren
