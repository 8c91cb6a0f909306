#pragma once

#include "linkstore/linkfile.h"

#include <cstddef>
#include <string>

namespace tovren {

// The most the world reads of a link file looking for its four lines. A link file is four
// names; one that anyone put in the folder, a sparse file of gigabytes with no line end, would
// otherwise be read whole into memory.
inline constexpr std::size_t largestLinkFile = std::size_t{1} << 20U;

// A link file as the world loads it: as Tovren's Load does, but no further than
// largestLinkFile.
inline LinkRecord loadWorldLinkFile(const std::string& path) {
    return loadLinkFile(path, largestLinkFile);
}

} // namespace tovren
