#pragma once

#include "linkstore/linkrecord.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tovren {

// One field of a link record merged three ways: the text it takes, or, where both sides changed
// it differently, ours with theirs beside it for a person to choose.
struct MergedField {
    std::string text;
    std::optional<std::string> theirs;
};

// The four fields up, down, left and right.
using MergedRecord = std::array<MergedField, 4>;

// Merges a link record field by field, each on its own as git merges a line: a field only one
// side changed takes that side's text, one both changed alike takes it, and one both changed
// differently is a conflict. Without a common ancestor (both sides made the map) every field
// the sides differ on is one. Texts are compared as the store loads them.
MergedRecord mergeRecords(const std::optional<LinkRecord>& base, const LinkRecord& ours,
                          const LinkRecord& theirs);

bool isClean(const MergedRecord& merged);

// The lines of the merged link file: the four fields, each conflicting one as git marks a
// conflict, between "<<<<<<< ours", "=======" and ">>>>>>> theirs", so that git, a person and
// the check all see it.
std::vector<std::string> mergedLines(const MergedRecord& merged);

} // namespace tovren
