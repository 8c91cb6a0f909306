#pragma once

#include "world/world.h"

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

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
// editor's; then the members given, each a name and its value as JSON text.
using JsonMembers = std::vector<std::pair<std::string, std::string>>;
void writeJsonReport(const World& world, std::ostream& out, const JsonMembers& more = {});

} // namespace tovren
