#pragma once

#include <string>

namespace tovren {

// Refuses, as BadFileName, a path that no host can pass as a file name: one holding a NUL
// byte, which would silently cut the name short and name another file.
void refuseUnusablePath(const std::string& path);

} // namespace tovren
