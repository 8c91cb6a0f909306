#pragma once

#include "world/mapsave.h"
#include "world/worldtypes.h"

#include <optional>
#include <string>
#include <vector>

namespace tovren {

// What mends a finding where the world says plainly what was meant, as saves that need no more
// thought: each map's record as the world read it, and as mended.
// - A one-way link whose far side leads nowhere the opposite way, where no other map wants that
//   field: the far side is made to lead back. This is the rule of planMirror, which mirror
//   --write applies to every such link at once.
// - A dangling name that differs from a map's only in letter case or in blanks around it (the
//   check's suggestion): that map's name is taken.
struct FindingMend {
    std::string label; // what a button that makes it says: "Make it lead back", "Take map9"
    std::vector<MapSave> saves;
};

// One for each of the world's findings, in their order: none where nothing mends it plainly.
std::vector<std::optional<FindingMend>> findingMends(const World& world);

} // namespace tovren
