#include "worldtool/report.h"

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace tovren {

namespace {

using json = nlohmann::ordered_json;

const char* severityName(Severity severity) {
    return severity == Severity::Error ? "error" : "warning";
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

json nullOr(const std::optional<std::string>& text) {
    return text ? json(*text) : json(nullptr);
}

json mapJson(const WorldMap& map) {
    json entry = {{"name", map.name}};
    for (const Direction direction : allDirections) {
        entry[std::string(directionName(direction))] =
            map.links ? json(map.text(direction)) : json(nullptr);
    }
    entry["cell"] = map.cell ? json::array({map.cell->x, map.cell->y}) : json(nullptr);
    entry["region"] = map.region;
    return entry;
}

json findingJson(const Finding& finding) {
    return {{"kind", findingKindName(finding.kind)},
            {"severity", severityName(finding.severity())},
            {"map", finding.map},
            {"direction", finding.direction ? json(std::string(directionName(*finding.direction)))
                                            : json(nullptr)},
            {"target", nullOr(finding.target)},
            {"message", finding.message}};
}

} // namespace

void writeTextReport(const World& world, std::ostream& out) {
    for (const Finding& finding : world.findings) {
        out << severityName(finding.severity()) << ": " << findingKindName(finding.kind) << ": "
            << finding.message << '\n';
    }
    out << counted(world.maps.size(), "map", "maps") << " in "
        << counted(world.regionCount, "region", "regions") << ": "
        << counted(world.count(Severity::Error), "error", "errors") << ", "
        << counted(world.count(Severity::Warning), "warning", "warnings") << '\n';
}

void writeJsonReport(const World& world, std::ostream& out) {
    json maps = json::array();
    for (const WorldMap& map : world.maps) {
        maps.push_back(mapJson(map));
    }
    json findings = json::array();
    for (const Finding& finding : world.findings) {
        findings.push_back(findingJson(finding));
    }
    const json document = {{"folder", world.folder}, {"maps", maps}, {"findings", findings}};
    // Every text is UTF-8 already; a stray byte would be replaced rather than end the report.
    out << document.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

} // namespace tovren
