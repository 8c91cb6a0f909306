#pragma once

#include <optional>
#include <string>

namespace tovren {

// Opens a file in the desktop's program for it: xdg-open on Linux, the shell's default program
// on Windows. Returns why it could not, or nothing when it did.
std::optional<std::string> openInViewer(const std::string& path);

// Opens a web page's file in the desktop's browser without waiting for the browser (xdg-open may
// only return once a browser it started has ended): on Linux through xdg-open; on Windows with
// the program that opens web addresses, or else the one set for the file. Returns why it could
// not start it, or nothing when it did.
std::optional<std::string> openInBrowser(const std::string& page);

} // namespace tovren
