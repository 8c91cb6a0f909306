#include "worldtool/report/report.h"

#include "world/findingmends.h"
#include "worldtool/report/jsontext.h"

#include <exception>
#include <ostream>
#include <string>
#include <thread>

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

// Writes maps as JSON objects, one a line. One object is kept and its members replaced in place
// for each map: a large world has many maps, and an object built for each would cost far more
// than writing it.
class MapWriter {
public:
    MapWriter() {
        line_["name"] = "";
        for (const Direction direction : allDirections) {
            line_[std::string(directionName(direction))] = "";
        }
        line_["cell"] = json::array({0, 0});
        line_["region"] = 0;
        line_["size"] = json::array({0, 0});
        line_["position"] = json::array({0, 0});
        line_["merge"] = nullptr;
    }

    void write(const WorldMap& map, std::string& out) {
        auto member = line_.begin();
        setText(*member++, map.name);
        for (const Direction direction : allDirections) {
            if (map.links) {
                setText(*member++, map.text(direction));
            } else {
                *member++ = nullptr;
            }
        }
        setPair(*member++,
                map.cell ? std::optional(std::pair(map.cell->x, map.cell->y)) : std::nullopt);
        *member++ = map.region;
        setPair(*member++, map.size ? std::optional(std::pair(map.size->width, map.size->height))
                                    : std::nullopt);
        setPair(*member++, map.position ? std::optional(std::pair(map.position->x, map.position->y))
                                        : std::nullopt);
        *member = map.unresolvedMerge ? mergeJson(*map.unresolvedMerge) : json(nullptr);
        out += jsonText(line_);
    }

private:
    json line_;

    // [x, y] in place, or null.
    static void setPair(json& member, std::optional<std::pair<long long, long long>> pair) {
        if (!pair) {
            member = nullptr;
            return;
        }
        if (!member.is_array()) {
            member = json::array({0, 0});
        }
        member[0] = pair->first;
        member[1] = pair->second;
    }

    // What a page needs to resolve the merge: each side's record, and the record as loaded,
    // which a save over it expects.
    static json mergeJson(const UnresolvedMerge& merge) {
        return {{"loaded", recordJson(merge.loaded)},
                {"ours", recordJson(merge.ours)},
                {"theirs", recordJson(merge.theirs)}};
    }

    static void setText(json& member, const std::string& text) {
        if (!member.is_string()) {
            member = text;
        } else {
            member.get_ref<json::string_t&>() = text; // into the string already there
        }
    }
};

// The saves of a mend as a page sends them to the editor's server.
json mendJson(const std::optional<FindingMend>& mend) {
    if (!mend) {
        return nullptr;
    }
    json saves = json::array();
    for (const MapSave& save : mend->saves) {
        saves.push_back({{"map", save.map},
                         {"expect", recordJson(save.expect)},
                         {"links", recordJson(save.links)}});
    }
    return {{"label", mend->label}, {"saves", std::move(saves)}};
}

json findingJson(const Finding& finding, const std::optional<FindingMend>& mend) {
    return {{"kind", findingKindName(finding.kind)},
            {"severity", severityName(finding.severity())},
            {"map", finding.map},
            {"direction", finding.direction ? json(std::string(directionName(*finding.direction)))
                                            : json(nullptr)},
            {"target", nullOr(finding.target)},
            {"message", finding.message},
            {"mend", mendJson(mend)}};
}

} // namespace

json recordJson(const std::optional<LinkRecord>& record) {
    if (!record) {
        return nullptr;
    }
    json object = json::object();
    for (const Direction direction : allDirections) {
        object[std::string(directionName(direction))] = textOf(*record, direction);
    }
    return object;
}

std::string summaryLine(const World& world) {
    return counted(world.maps.size(), "map", "maps") + " in " +
           counted(world.regionCount, "region", "regions") + ": " +
           counted(world.count(Severity::Error), "error", "errors") + ", " +
           counted(world.count(Severity::Warning), "warning", "warnings");
}

std::string findingLine(const Finding& finding) {
    return std::string(severityName(finding.severity())) + ": " + findingKindName(finding.kind) +
           ": " + finding.message;
}

void writeTextReport(const World& world, std::ostream& out) {
    for (const Finding& finding : world.findings) {
        out << findingLine(finding) << '\n';
    }
    out << summaryLine(world) << '\n';
}

void writeJsonReport(const World& world, std::ostream& out, const JsonMembers& more) {
    // Written a member at a time: a large world's whole document would take far more memory
    // than the world itself.
    out << "{\n  \"folder\": " << jsonText(json(world.folder)) << ",\n  \"maps\": [";
    // The second half of the maps is written into memory on a core of its own while the first
    // goes out line by line, then follows it.
    const std::size_t half = world.maps.size() / 2;
    const auto writeMaps = [&](std::size_t first, std::size_t last, std::string& text,
                               std::ostream* streamed) {
        MapWriter writer;
        for (std::size_t at = first; at < last; ++at) {
            text += at == 0 ? "\n    " : ",\n    ";
            writer.write(world.maps[at], text);
            if (streamed != nullptr) {
                *streamed << text;
                text.clear();
            }
        }
    };
    std::string secondHalf;
    std::exception_ptr failed;
    std::thread writing([&] {
        try {
            writeMaps(half, world.maps.size(), secondHalf, nullptr);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    std::string line;
    try {
        writeMaps(0, half, line, &out);
    } catch (...) {
        writing.join();
        throw;
    }
    writing.join();
    if (failed) {
        std::rethrow_exception(failed);
    }
    out << secondHalf;
    out << (world.maps.empty() ? "],\n" : "\n  ],\n") << "  \"findings\": [";
    const char* separator = "\n    ";
    const std::vector<std::optional<FindingMend>> mends = findingMends(world);
    for (std::size_t at = 0; at < world.findings.size(); ++at) {
        out << separator << jsonText(findingJson(world.findings[at], mends[at]));
        separator = ",\n    ";
    }
    out << (world.findings.empty() ? "]" : "\n  ]");
    for (const auto& [name, value] : more) {
        out << ",\n  " << jsonText(json(name)) << ": " << value;
    }
    out << "\n}\n";
}

} // namespace tovren
