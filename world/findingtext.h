#pragma once

#include "world/worldtypes.h"

#include <optional>
#include <string>
#include <vector>

namespace tovren {

// The sentences of the findings. Names are shown as they are where that is clear; an empty name,
// one with blanks at either end or with control characters is quoted, and a very long one is
// shortened in the middle.
std::string shownInText(const std::string& name);

std::string oneWayNowhere(const std::string& map, Direction direction, const std::string& target);
std::string oneWayElsewhere(const std::string& map, Direction direction, const std::string& target,
                            const std::string& elsewhere);
std::string danglingLink(const std::string& map, Direction direction, const std::string& target,
                         const std::optional<FileFailure>& failure,
                         const std::optional<std::string>& suggestion);
std::string unreadableFile(const std::string& map, const FileFailure& failure);
std::string unresolvedMerge(const std::string& map, std::size_t firstLine, std::size_t lastLine);
std::string wouldNeedTwoCells(const std::string& leader, Direction direction,
                              const std::string& led, const std::string& moved, Cell placed,
                              Cell wanted);
// A loop of links: going `way` from `start` through `length` maps, of which `through` names the
// first, leads back to `start`.
std::string wrapsAround(Direction way, const std::string& start,
                        const std::vector<std::string>& through, std::size_t length);
std::string shareACell(const std::string& first, const std::string& second, Cell cell);

} // namespace tovren
