#pragma once

#include "linkstore/filefailure.h"

#include <string>
#include <windows.h>

namespace tovren {

// What was being done when Windows reported an error; the same error means different things
// for a save and a load.
enum class FileStep { OpenToSave, Write, OpenToLoad, Read };

// Turns a Windows error code into the failure a user of Tovren is told about.
FileFailure failureFromWindowsError(DWORD error, FileStep step, const std::string& path);

} // namespace tovren
