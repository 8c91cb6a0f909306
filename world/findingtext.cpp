#include "world/findingtext.h"

#include <cstdio>

namespace tovren {

namespace {

constexpr std::size_t longestShownName = 60; // bytes on either side of the cut, roughly

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

std::string shortened(const std::string& name) {
    if (name.size() <= 2 * longestShownName) {
        return name;
    }
    std::size_t headEnd = longestShownName;
    while (headEnd > 0 && isContinuationByte(name[headEnd])) {
        --headEnd;
    }
    std::size_t tailStart = name.size() - longestShownName;
    while (tailStart < name.size() && isContinuationByte(name[tailStart])) {
        ++tailStart;
    }
    return name.substr(0, headEnd) + "\u2026" + name.substr(tailStart);
}

std::string cellText(Cell cell) {
    std::string text = "(";
    text += std::to_string(cell.x);
    text += ", ";
    text += std::to_string(cell.y);
    text += ')';
    return text;
}

std::string way(Direction direction) {
    return std::string(directionName(direction));
}

} // namespace

std::string shownInText(const std::string& name) {
    bool quote = name.empty() || name.front() == ' ' || name.back() == ' ';
    std::string shown;
    for (const char c : shortened(name)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
            quote = true;
        } else if (c == '"' || c == '\\') {
            shown += '\\';
            shown += c;
            quote = true;
        } else {
            shown += c;
        }
    }
    if (!quote) {
        return shown;
    }
    std::string quoted = "\"";
    quoted += shown;
    quoted += '"';
    return quoted;
}

std::string oneWayNowhere(const std::string& map, Direction direction, const std::string& target) {
    return shownInText(map) + " leads " + way(direction) + " to " + shownInText(target) + ", but " +
           shownInText(target) + " leads nowhere " + way(opposite(direction));
}

std::string oneWayElsewhere(const std::string& map, Direction direction, const std::string& target,
                            const std::string& elsewhere) {
    return shownInText(map) + " leads " + way(direction) + " to " + shownInText(target) + ", but " +
           shownInText(target) + " leads " + way(opposite(direction)) + " to " +
           shownInText(elsewhere);
}

std::string danglingLink(const std::string& map, Direction direction, const std::string& target,
                         const std::optional<FileFailure>& failure,
                         const std::optional<std::string>& suggestion) {
    std::string text = shownInText(map) + " leads " + way(direction) + " to " +
                       shownInText(target) + ", which has no link file";
    if (failure && failure->kind() != FileFailure::Kind::FileNotFound) {
        text += " (" + failure->description() + ")";
    }
    if (suggestion) {
        text += "; did you mean " + shownInText(*suggestion) + "?";
    }
    return text;
}

std::string unreadableFile(const std::string& map, const FileFailure& failure) {
    return shownInText(map) + " cannot be loaded: " + failure.description();
}

std::string unresolvedMerge(const std::string& map, std::size_t firstLine, std::size_t lastLine) {
    const std::string lines = firstLine == lastLine ? "line " + std::to_string(firstLine)
                                                    : "lines " + std::to_string(firstLine) +
                                                          " to " + std::to_string(lastLine);
    return shownInText(map) + " holds an unresolved merge (" + lines + ")";
}

std::string wouldNeedTwoCells(const std::string& leader, Direction direction,
                              const std::string& led, const std::string& moved, Cell placed,
                              Cell wanted) {
    return shownInText(leader) + " leads " + way(direction) + " to " + shownInText(led) +
           ", which would put " + shownInText(moved) + " at " + cellText(wanted) +
           ", but other links put it at " + cellText(placed);
}

std::string wrapsAround(Direction way, const std::string& start,
                        const std::vector<std::string>& through, std::size_t length) {
    std::string text = "going " + std::string(directionName(way)) + " from " + shownInText(start);
    if (!through.empty()) {
        text += " through ";
        const std::size_t unnamed = length - through.size();
        for (std::size_t at = 0; at < through.size(); ++at) {
            if (at > 0) {
                text += at + 1 == through.size() && unnamed == 0 ? " and " : ", ";
            }
            text += shownInText(through[at]);
        }
        if (unnamed > 0) {
            text +=
                " and " + std::to_string(unnamed) + (unnamed == 1 ? " other map" : " other maps");
        }
    }
    return text + " leads back to " + shownInText(start) + ": the world wraps around here";
}

std::string cannotClose(const std::string& start, const std::vector<LoopStep>& steps,
                        long long shortBy) {
    // Steps the same way run together: "right through B and C", "down to D", "up to A"; a
    // long loop names its first maps and counts the rest.
    constexpr std::size_t namedSteps = 10;
    const std::size_t named = steps.size() > namedSteps ? namedSteps - 1 : steps.size();
    std::string text = "going";
    for (std::size_t at = 0; at < named;) {
        std::size_t end = at + 1;
        while (end < named && steps[end].direction == steps[at].direction &&
               steps[end].linked == steps[at].linked) {
            ++end;
        }
        const bool reachesStart = end == steps.size();
        if (at > 0) {
            text += reachesStart ? " and" : ",";
        }
        text += " ";
        text += way(steps[at].direction);
        if (at == 0) {
            text += " from ";
            text += shownInText(start);
        }
        const std::size_t passed = end - at - (reachesStart ? 1 : 0);
        if (passed > 1 || (passed == 1 && (at == 0 || reachesStart))) {
            text += steps[at].linked ? " through " : " past ";
            for (std::size_t step = at; step < at + passed; ++step) {
                text += step == at ? "" : (step + 1 == at + passed ? " and " : ", ");
                text += shownInText(steps[step].to);
            }
        } else if (passed == 1) {
            text += (steps[at].linked ? " to " : " past ") + shownInText(steps[at].to);
        }
        if (reachesStart) {
            text += " to ";
            text += shownInText(start);
        }
        at = end;
    }
    if (named < steps.size()) {
        const std::size_t others = steps.size() - named - 1;
        text += " and on past ";
        text += std::to_string(others) + (others == 1 ? " other map" : " other maps") + " to " +
                shownInText(start);
    }
    return text + " ends " + std::to_string(shortBy) + " px short of " + shownInText(start) +
           ": these maps' sizes do not let them all touch";
}

std::string drawnApart(const std::string& map, const std::string& overlapped) {
    return shownInText(map) + " cannot lie where its links put it without overlapping " +
           shownInText(overlapped) + ": it is drawn apart, below the maps it belongs with";
}

std::string unreadableTiledMap(const std::string& map, const std::string& failure) {
    return shownInText(map) + "'s Tiled map cannot be read: " + failure;
}

std::string shareACell(const std::string& first, const std::string& second, Cell cell) {
    return shownInText(first) + " and " + shownInText(second) + " fall on the same cell " +
           cellText(cell);
}

} // namespace tovren
