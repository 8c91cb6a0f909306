#pragma once

#include "linkstore/windows/filehandle.h"

#include <string>

namespace tovren {

// The opening for a save, apart so that its sharing rule can be held and tried: writing without
// emptying the file, creating it when missing; while it is open, other openers may read but not
// write. Throws FileFailure.
FileHandle openToSave(const std::string& path);

} // namespace tovren
