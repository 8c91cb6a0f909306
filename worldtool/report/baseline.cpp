#include "worldtool/report/baseline.h"

#include <algorithm>
#include <istream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <stdexcept>

namespace tovren {

namespace {

using json = nlohmann::ordered_json;

json nullOr(const std::optional<std::string>& text) {
    return text ? json(*text) : json(nullptr);
}

std::optional<std::string> textOrNull(const json& entry, const char* member) {
    const json& value = entry.at(member);
    if (value.is_null()) {
        return std::nullopt;
    }
    return value.get<std::string>();
}

} // namespace

KnownFinding knownAs(const Finding& finding) {
    return {findingKindName(finding.kind), finding.map,
            finding.direction ? std::optional<std::string>(directionName(*finding.direction))
                              : std::nullopt,
            finding.target};
}

void writeBaseline(const World& world, std::ostream& out) {
    std::vector<KnownFinding> known;
    known.reserve(world.findings.size());
    for (const Finding& finding : world.findings) {
        known.push_back(knownAs(finding));
    }
    std::sort(known.begin(), known.end());
    out << "{\n  \"findings\": [";
    const char* separator = "\n    ";
    for (const KnownFinding& finding : known) {
        const json entry = {{"kind", finding.kind},
                            {"map", finding.map},
                            {"direction", nullOr(finding.direction)},
                            {"target", nullOr(finding.target)}};
        out << separator << entry.dump(-1, ' ', false, json::error_handler_t::replace);
        separator = ",\n    ";
    }
    out << (known.empty() ? "]\n}\n" : "\n  ]\n}\n");
}

std::vector<KnownFinding> readBaseline(std::istream& in) {
    std::vector<KnownFinding> known;
    try {
        const json document = json::parse(in);
        const json& findings = document.at("findings");
        if (!findings.is_array()) {
            throw std::runtime_error("it is not a baseline of tovren-world check: its findings "
                                     "are not a list");
        }
        for (const json& entry : findings) {
            known.push_back({entry.at("kind").get<std::string>(),
                             entry.at("map").get<std::string>(), textOrNull(entry, "direction"),
                             textOrNull(entry, "target")});
        }
    } catch (const json::exception& failure) {
        throw std::runtime_error(std::string("it is not a baseline of tovren-world check: ") +
                                 failure.what());
    }
    return known;
}

AgainstBaseline compareWithBaseline(const std::vector<Finding>& findings,
                                    std::vector<KnownFinding> baseline) {
    std::sort(baseline.begin(), baseline.end());
    std::vector<bool> used(baseline.size(), false);
    AgainstBaseline against;
    for (const Finding& finding : findings) {
        const KnownFinding key = knownAs(finding);
        auto match = std::lower_bound(baseline.begin(), baseline.end(), key);
        while (match != baseline.end() && *match == key &&
               used[static_cast<std::size_t>(match - baseline.begin())]) {
            ++match;
        }
        if (match != baseline.end() && *match == key) {
            used[static_cast<std::size_t>(match - baseline.begin())] = true;
            ++against.standing;
        } else {
            against.fresh.push_back(finding);
        }
    }
    against.gone = baseline.size() - against.standing;
    return against;
}

} // namespace tovren
