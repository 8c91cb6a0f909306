#pragma once

#include <string>

namespace tovren {

// Removes a link file, holding it as a save holds it meanwhile, so that it is never removed
// while Tovren (or another save) is writing it. Throws FileFailure, worded as the store words
// its own.
void removeLinkFile(const std::string& path);

} // namespace tovren
