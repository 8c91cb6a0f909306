#include "worldtool/report/sarifreport.h"

#include "worldtool/report/findingplace.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ostream>

namespace tovren {

namespace {

using json = nlohmann::ordered_json;

struct RuleText {
    const char* summary;
    const char* description;
};

RuleText ruleText(FindingKind kind) {
    switch (kind) {
    case FindingKind::OneWay:
        return {"A map leads to another that does not lead back",
                "A map leads to another whose link file loads, but that map does not lead back "
                "the opposite way (up and down, left and right are opposites)."};
    case FindingKind::Dangling:
        return {"A map leads to a name that has no link file",
                "A map leads to a name that has no link file; a file whose name differs only in "
                "letter case or in blanks around it is suggested."};
    case FindingKind::Unreadable:
        return {"A link file cannot be loaded",
                "A link file that Tovren could not load (too few lines, no right to read it, a "
                "folder or a device named x.link), with the reason Tovren would give."};
    case FindingKind::Wrap:
        return {"Going one way through the maps leads back to the start",
                "Going one way through the maps leads back to where it started: the world wraps "
                "around there, like a planet or a looping corridor, often on purpose."};
    case FindingKind::Overlap:
        return {"Two maps fall on one cell of the grid",
                "Laid out as a grid of equal screens, two maps fall on one cell, or one map "
                "would need two."};
    case FindingKind::Conflict:
        break;
    }
    return {"A link file holds a merge left unresolved",
            "git's conflict markers stand among the four lines of a link file: its fields are "
            "not links, and nothing is followed from it, until a person chooses between the "
            "sides."};
}

// Every kind has a rule, in this order; a kind missing here gets its rule where it is found.
constexpr FindingKind ruleOrder[] = {FindingKind::OneWay,     FindingKind::Dangling,
                                     FindingKind::Unreadable, FindingKind::Wrap,
                                     FindingKind::Overlap,    FindingKind::Conflict};

const char* levelOf(FindingKind kind) {
    return Finding{kind, {}, {}, {}, {}}.severity() == Severity::Error ? "error" : "warning";
}

// A path as a URI reference: every byte but the unreserved characters, "/" and, where it cannot
// be taken for a scheme, ":" percent-encoded.
std::string uriOf(const std::string& path, bool absolute = false) {
    static const char* const digits = "0123456789ABCDEF";
    std::string uri;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved || c == '/' || (absolute && c == ':')) {
            uri += c;
        } else {
            uri += '%';
            uri += digits[byte >> 4U];
            uri += digits[byte & 0xFU];
        }
    }
    return uri;
}

// The current folder, against which the results' relative paths are read.
std::string currentFolderUri() {
    std::error_code error;
    const std::u8string here = std::filesystem::current_path(error).generic_u8string();
    std::string path(here.begin(), here.end());
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return "file://" + uriOf(path.front() == '/' ? path : "/" + path, true);
}

json ruleJson(FindingKind kind) {
    const RuleText text = ruleText(kind);
    return {{"id", findingKindName(kind)},
            {"shortDescription", {{"text", text.summary}}},
            {"fullDescription", {{"text", text.description}}},
            {"defaultConfiguration", {{"level", levelOf(kind)}}}};
}

json resultJson(const World& world, const Finding& finding, std::size_t ruleIndex) {
    const FindingPlace place = findingPlace(world, finding);
    json location = {
        {"artifactLocation", {{"uri", uriOf(place.file)}, {"uriBaseId", "%SRCROOT%"}}}};
    if (place.firstLine) {
        location["region"] = {{"startLine", *place.firstLine}, {"endLine", *place.lastLine}};
    }
    return {{"ruleId", findingKindName(finding.kind)},
            {"ruleIndex", ruleIndex},
            {"level", levelOf(finding.kind)},
            {"message", {{"text", finding.message}}},
            {"locations", json::array({{{"physicalLocation", location}}})}};
}

} // namespace

void writeSarifReport(const World& world, std::ostream& out) {
    json driver = {{"name", "tovren-world"}, {"version", TOVREN_VERSION_TEXT}};
    std::vector<FindingKind> kinds(std::begin(ruleOrder), std::end(ruleOrder));
    json results = json::array();
    for (const Finding& finding : world.findings) {
        const auto ruleIndex = static_cast<std::size_t>(
            std::find(kinds.begin(), kinds.end(), finding.kind) - kinds.begin());
        if (ruleIndex == kinds.size()) {
            kinds.push_back(finding.kind);
        }
        results.push_back(resultJson(world, finding, ruleIndex));
    }
    driver["rules"] = json::array();
    for (const FindingKind kind : kinds) {
        driver["rules"].push_back(ruleJson(kind));
    }
    const json log = {
        {"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
        {"version", "2.1.0"},
        {"runs",
         json::array({{{"tool", {{"driver", driver}}},
                       {"originalUriBaseIds", {{"%SRCROOT%", {{"uri", currentFolderUri()}}}}},
                       {"results", results}}})}};
    out << log.dump(2, ' ', false, json::error_handler_t::replace) << '\n';
}

} // namespace tovren
