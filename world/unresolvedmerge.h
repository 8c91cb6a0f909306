#pragma once

#include "world/worldtypes.h"

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

// Whether a line is one of git's conflict markers.
bool isMergeMarker(std::string_view line);

// The lines of a link file's bytes by the store's rule: a line ends at a CR, and an LF right
// after it belongs to that end; a lone LF is an ordinary character; a last line without an end
// counts. The bytes are left in the host's code page.
std::vector<std::string> linkFileLines(std::string_view bytes);

// The unresolved merge a link file's lines (as text) hold. Only a marker among the first four
// lines, those the store loads, makes one: the lines past them are not part of the record, and
// a shorter save over a conflict leaves its old markers there.
std::optional<UnresolvedMerge> findUnresolvedMerge(const std::vector<std::string>& lines);

} // namespace tovren
