#pragma once

#include "world/world.h"

#include <iosfwd>

namespace tovren {

// The check as a SARIF 2.1.0 log, the format code-scanning services read: one run of
// tovren-world with a rule for each kind of finding, and a result for each finding with its
// level and its place (its link file relative to the current folder, and its lines).
void writeSarifReport(const World& world, std::ostream& out);

} // namespace tovren
