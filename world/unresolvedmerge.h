#pragma once

#include "../linkstore/linkrecord.h"
#include "worldapi.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovren {

// git's conflict markers, as it writes them around the two sides of a conflict (and, in its
// diff3 style, the common ancestor's side between them): seven characters, then a label.
inline constexpr std::string_view oursMarker = "<<<<<<<";
inline constexpr std::string_view baseMarker = "|||||||";
inline constexpr std::string_view splitMarker = "=======";
inline constexpr std::string_view theirsMarker = ">>>>>>>";

// A link file that a merge left with git's conflict markers in its record: the lines the
// markers span, counted from 1, and the record each side would give, made of the lines outside
// the conflicts and that side's lines within them (none where that side has fewer than four
// lines). Its four fields as the store loads them are not links, and are not followed.
struct UnresolvedMerge {
    std::size_t firstLine = 0;
    std::size_t lastLine = 0;
    std::optional<LinkRecord> ours;
    std::optional<LinkRecord> theirs;

    bool operator==(const UnresolvedMerge&) const = default;
};

// Whether a line is one of git's conflict markers.
TOVREN_WORLD_API bool isMergeMarker(std::string_view line);

// The lines of a link file's bytes by the store's rule: a line ends at a CR, and an LF right
// after it belongs to that end; a lone LF is an ordinary character; a last line without an end
// counts. The bytes are left in the host's code page.
TOVREN_WORLD_API std::vector<std::string> linkFileLines(std::string_view bytes);

// The unresolved merge a link file's lines (as text) hold. Only a marker among the first four
// lines, those the store loads, makes one: the lines past them are not part of the record, and
// a shorter save over a conflict leaves its old markers there.
TOVREN_WORLD_API std::optional<UnresolvedMerge>
findUnresolvedMerge(const std::vector<std::string>& lines);

} // namespace tovren
