#pragma once

#include "world/world.h"

#include <iosfwd>

namespace tovren {

// The check as people read it: one line per finding, errors first, then a summary line.
void writeTextReport(const World& world, std::ostream& out);

// The check as one JSON document: the folder, every map with its links, cell and region, and
// every finding.
void writeJsonReport(const World& world, std::ostream& out);

} // namespace tovren
