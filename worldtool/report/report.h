#pragma once

#include "world/world.h"

#include <cstdint>
#include <iosfwd>
#include <optional>

namespace tovren {

// The check as people read it: one line per finding, errors first, then a summary line.
void writeTextReport(const World& world, std::ostream& out);

// The check as one JSON document: the folder, every map with its links, cell and region, and
// every finding with what mends it plainly, if anything (world/findingmends.h), as saves of the
// editor's; and where given, the version of the world on disk it was read from.
void writeJsonReport(const World& world, std::ostream& out,
                     std::optional<std::uint64_t> version = std::nullopt);

} // namespace tovren
