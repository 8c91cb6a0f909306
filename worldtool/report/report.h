#pragma once

#include "world/world.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace tovren {

// "13 maps in 3 regions: 2 errors, 1 warning".
std::string summaryLine(const World& world);

// "error: one-way: map1 leads right to map2, but map2 leads left to map7".
std::string findingLine(const Finding& finding);

// The check as people read it: one line per finding, errors first, then the summary line.
void writeTextReport(const World& world, std::ostream& out);

// "9 maps in 2 regions: 3 errors, 1 warning"
std::string summaryLine(const World& world);

// The check as one JSON document: the folder, every map with its links, cell and region, and
// every finding with what mends it plainly, if anything (world/findingmends.h), as saves of the
// editor's; and where given, the version of the world on disk it was read from.
void writeJsonReport(const World& world, std::ostream& out,
                     std::optional<std::uint64_t> version = std::nullopt);

} // namespace tovren
