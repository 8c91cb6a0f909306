#pragma once

#include "world/world.h"

#include <iosfwd>

namespace tovren {

// The check as GitHub Actions' workflow commands, one a finding, which show each finding on
// its line of its link file in the pull request:
//   ::error file=maps/map1.link,line=4,title=one-way::map1 leads right to map2, but …
// then the summary line, which the log shows as it is.
void writeGithubReport(const World& world, std::ostream& out);

} // namespace tovren
