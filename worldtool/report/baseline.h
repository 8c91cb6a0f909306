#pragma once

#include "world/world.h"

#include <compare>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tovren {

// A finding as a baseline knows it: by its kind, map, direction and target, never by its
// wording or its line, which may change while the fault stays the same.
struct KnownFinding {
    std::string kind;
    std::string map;
    std::optional<std::string> direction;
    std::optional<std::string> target;

    auto operator<=>(const KnownFinding&) const = default;
};

KnownFinding knownAs(const Finding& finding);

// The world's findings as a baseline: one JSON document, {"findings": [{"kind", "map",
// "direction", "target"}]}, sorted, one finding a line and nothing that differs between runs or
// hosts (no folder, no wording), so that it diffs well.
void writeBaseline(const World& world, std::ostream& out);

// Reads a baseline that writeBaseline wrote. Throws std::runtime_error, saying why, when it is
// not one.
std::vector<KnownFinding> readBaseline(std::istream& in);

// The findings against a baseline: those it does not know, in their order, and how many of its
// own still stand or are gone. Each of its findings answers for one finding at most.
struct AgainstBaseline {
    std::vector<Finding> fresh;
    std::size_t standing = 0;
    std::size_t gone = 0;
};
AgainstBaseline compareWithBaseline(const std::vector<Finding>& findings,
                                    std::vector<KnownFinding> baseline);

} // namespace tovren
