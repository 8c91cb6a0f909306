#pragma once

#include "linkstore/filefailure.h"

#include <string>

namespace tovren {

// Builds the failure for a file: "<kind in words>: <path>" and, when given, the reason in
// brackets. Control characters and overly long paths are made fit for a message box.
FileFailure fileFailure(FileFailure::Kind kind, const std::string& path,
                        const std::string& reason = {});

} // namespace tovren
