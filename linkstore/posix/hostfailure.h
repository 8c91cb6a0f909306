#pragma once

#include "linkstore/filefailure.h"

#include <string>

namespace tovren {

// What was being done when the host reported an error; the same error means different things
// for a save and a load.
enum class FileStep { OpenToSave, Write, OpenToLoad, Read };

// Turns an errno value into the failure a user of Tovren is told about.
FileFailure failureFromErrno(int error, FileStep step, const std::string& path);

} // namespace tovren
