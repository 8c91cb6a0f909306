#include "world/recordmerge.h"

#include "world/direction.h"
#include "world/unresolvedmerge.h"

#include <algorithm>

namespace tovren {

MergedRecord mergeRecords(const std::optional<LinkRecord>& base, const LinkRecord& ours,
                          const LinkRecord& theirs) {
    MergedRecord merged;
    for (const Direction direction : allDirections) {
        const std::string& our = textOf(ours, direction);
        const std::string& their = textOf(theirs, direction);
        MergedField& field = merged[static_cast<std::size_t>(direction)];
        if (our == their || (base && textOf(*base, direction) == their)) {
            field.text = our;
        } else if (base && textOf(*base, direction) == our) {
            field.text = their;
        } else {
            field.text = our;
            field.theirs = their;
        }
    }
    return merged;
}

bool isClean(const MergedRecord& merged) {
    return std::none_of(merged.begin(), merged.end(),
                        [](const MergedField& field) { return field.theirs.has_value(); });
}

std::vector<std::string> mergedLines(const MergedRecord& merged) {
    std::vector<std::string> lines;
    for (const MergedField& field : merged) {
        if (!field.theirs) {
            lines.push_back(field.text);
            continue;
        }
        lines.push_back(std::string(oursMarker) + " ours");
        lines.push_back(field.text);
        lines.emplace_back(splitMarker);
        lines.push_back(*field.theirs);
        lines.push_back(std::string(theirsMarker) + " theirs");
    }
    return lines;
}

} // namespace tovren
