#include "world/world.h"

#include "world/findingtext.h"
#include "world/hostfolder.h"
#include "world/placement.h"
#include "world/worldreader.h"

#include <algorithm>
#include <numeric>
#include <tuple>
#include <unordered_map>

namespace tovren {

namespace {

// Sorts the maps by name, and their links with them.
void sortByName(ReadMaps& read) {
    std::vector<std::size_t> order(read.maps.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return read.maps[a].name < read.maps[b].name; });
    std::vector<std::size_t> newIndex(order.size());
    for (std::size_t position = 0; position < order.size(); ++position) {
        newIndex[order[position]] = position;
    }
    std::vector<WorldMap> maps;
    std::vector<std::array<Link, 4>> links;
    maps.reserve(order.size());
    links.reserve(order.size());
    for (const std::size_t old : order) {
        maps.push_back(std::move(read.maps[old]));
        links.push_back(std::move(read.links[old]));
        for (Link& link : links.back()) {
            link.map = link.state == Link::State::Map ? newIndex[link.map] : 0;
        }
    }
    read.maps = std::move(maps);
    read.links = std::move(links);
    for (std::size_t index = 0; index < read.maps.size(); ++index) {
        for (const Direction direction : allDirections) {
            const Link& link = read.links[index][static_cast<std::size_t>(direction)];
            if (link.state == Link::State::Map) {
                read.maps[index].neighbours[static_cast<std::size_t>(direction)] = link.map;
            }
        }
    }
}

// A name as people mistype it: blanks around it and letter case do not count.
std::string looseName(const std::string& name) {
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    std::string loose = name.substr(first, name.find_last_not_of(' ') - first + 1);
    std::transform(loose.begin(), loose.end(), loose.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return loose;
}

class Judge {
public:
    explicit Judge(const ReadMaps& read) : read_(read) {
        for (const std::string& name : read.folderNames) {
            byLooseName_.try_emplace(looseName(name), name);
        }
    }

    void judge(std::vector<Finding>& findings) const {
        for (std::size_t index = 0; index < read_.maps.size(); ++index) {
            const WorldMap& map = read_.maps[index];
            if (map.failure) {
                findings.push_back({FindingKind::Unreadable, map.name, std::nullopt, std::nullopt,
                                    unreadableFile(map.name, *map.failure)});
            }
            for (const Direction direction : allDirections) {
                judgeLink(index, direction, findings);
            }
        }
    }

private:
    const ReadMaps& read_;
    std::unordered_map<std::string, std::string> byLooseName_;

    void judgeLink(std::size_t index, Direction direction, std::vector<Finding>& findings) const {
        const WorldMap& map = read_.maps[index];
        const Link& link = read_.links[index][static_cast<std::size_t>(direction)];
        const std::string& text = map.text(direction);
        if (link.state == Link::State::Dangling) {
            findings.push_back(
                {FindingKind::Dangling, map.name, direction, text,
                 danglingLink(map.name, direction, text, link.failure, suggestionFor(text))});
            return;
        }
        if (link.state != Link::State::Map) {
            return;
        }
        const WorldMap& target = read_.maps[link.map];
        if (!target.links) {
            return; // told as unreadable
        }
        const Direction back = opposite(direction);
        const std::optional<std::size_t> returning = target.neighbour(back);
        if (returning == index) {
            return;
        }
        findings.push_back(
            {FindingKind::OneWay, map.name, direction, text,
             target.text(back).empty()
                 ? oneWayNowhere(map.name, direction, target.name)
                 : oneWayElsewhere(map.name, direction, target.name, target.text(back))});
    }

    // A link file of the folder whose name differs from the text only in case or blanks.
    std::optional<std::string> suggestionFor(const std::string& text) const {
        const auto found = byLooseName_.find(looseName(text));
        if (found == byLooseName_.end() || found->second == text) {
            return std::nullopt;
        }
        return found->second;
    }
};

int severityRank(const Finding& finding) {
    return finding.severity() == Severity::Error ? 0 : 1;
}

int directionRank(const Finding& finding) {
    return finding.direction ? static_cast<int>(*finding.direction) : -1;
}

} // namespace

World readWorld(const std::string& folder) {
    ReadMaps read = readMaps(folder);
    sortByName(read);
    World world;
    world.folder = shownName(read.folder);
    Judge(read).judge(world.findings);
    std::vector<Finding> overlaps = placeMaps(read.maps, world.regionCount);
    world.findings.insert(world.findings.end(), std::make_move_iterator(overlaps.begin()),
                          std::make_move_iterator(overlaps.end()));
    std::stable_sort(world.findings.begin(), world.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         return std::forward_as_tuple(severityRank(a), a.map, directionRank(a)) <
                                std::forward_as_tuple(severityRank(b), b.map, directionRank(b));
                     });
    world.maps = std::move(read.maps);
    return world;
}

const char* findingKindName(FindingKind kind) {
    switch (kind) {
    case FindingKind::OneWay:
        return "one-way";
    case FindingKind::Dangling:
        return "dangling";
    case FindingKind::Unreadable:
        return "unreadable";
    case FindingKind::Overlap:
        break;
    }
    return "overlap";
}

} // namespace tovren
