#include "world/unresolvedmerge.h"

#include <algorithm>

namespace tovren {

namespace {

constexpr std::size_t recordLines = 4;

// A marker alone, or followed by a blank and its label.
bool isMarker(std::string_view line, std::string_view marker) {
    return line.starts_with(marker) && (line.size() == marker.size() || line[marker.size()] == ' ');
}

std::optional<LinkRecord> recordOf(const std::vector<std::string>& lines) {
    if (lines.size() < recordLines) {
        return std::nullopt;
    }
    return LinkRecord{lines[0], lines[1], lines[2], lines[3]};
}

} // namespace

bool isMergeMarker(std::string_view line) {
    return isMarker(line, oursMarker) || isMarker(line, baseMarker) ||
           line.starts_with(splitMarker) || isMarker(line, theirsMarker);
}

std::vector<std::string> linkFileLines(std::string_view bytes) {
    std::vector<std::string> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\r');
        lines.emplace_back(bytes.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        bytes.remove_prefix(end + (bytes.substr(end).starts_with("\r\n") ? 2 : 1));
    }
    return lines;
}

std::optional<UnresolvedMerge> findUnresolvedMerge(const std::vector<std::string>& lines) {
    const std::size_t record = std::min(lines.size(), recordLines);
    if (std::none_of(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(record),
                     [](const std::string& line) { return isMergeMarker(line); })) {
        return std::nullopt;
    }
    // Outside the conflicts a line belongs to both sides; within one, to ours until the base's
    // or the split's marker, to neither in the base's part, to theirs after the split.
    enum class Part { Both, Ours, Base, Theirs };
    Part part = Part::Both;
    std::vector<std::string> ours;
    std::vector<std::string> theirs;
    UnresolvedMerge merge;
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const std::string& line = lines[at];
        if (isMergeMarker(line)) {
            merge.firstLine = merge.firstLine == 0 ? at + 1 : merge.firstLine;
            merge.lastLine = at + 1;
            if (isMarker(line, oursMarker)) {
                part = Part::Ours;
            } else if (isMarker(line, baseMarker)) {
                part = part == Part::Ours ? Part::Base : part;
            } else if (line.starts_with(splitMarker)) {
                part = part == Part::Ours || part == Part::Base ? Part::Theirs : part;
            } else {
                part = Part::Both;
            }
            continue;
        }
        if (part == Part::Both || part == Part::Ours) {
            ours.push_back(line);
        }
        if (part == Part::Both || part == Part::Theirs) {
            theirs.push_back(line);
        }
    }
    merge.ours = recordOf(ours);
    merge.theirs = recordOf(theirs);
    return merge;
}

} // namespace tovren
