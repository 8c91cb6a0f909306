#pragma once

#include "linkstore/filefailure.h"

#include <string>

namespace tovren {

// Builds the failure for a file: "<kind in words>: <path>" and, when given, the reason in
// brackets. Control characters and overly long paths are made fit for a message box.
FileFailure fileFailure(FileFailure::Kind kind, const std::string& path,
                        const std::string& reason = {});

// Refuses, as BadFileName, a path that no host can pass as a file name: one holding a NUL
// byte, which would silently cut the name short and name another file.
void refuseUnusablePath(const std::string& path);

} // namespace tovren
