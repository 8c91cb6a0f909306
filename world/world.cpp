#include "world/world.h"

#include "world/findingtext.h"
#include "world/hostfolder.h"
#include "world/placement.h"
#include "world/worldreader.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <tuple>
#include <unordered_map>

namespace tovren {

namespace {

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
    explicit Judge(const ReadMaps& read) : read_(read) {}

    void judge(std::vector<Finding>& findings) {
        for (std::size_t index = 0; index < read_.maps.size(); ++index) {
            const WorldMap& map = read_.maps[index];
            if (map.failure) {
                findings.push_back({FindingKind::Unreadable, map.name, std::nullopt, std::nullopt,
                                    unreadableFile(map.name, *map.failure)});
            }
            if (map.unresolvedMerge) {
                findings.push_back({FindingKind::Conflict, map.name, std::nullopt, std::nullopt,
                                    unresolvedMerge(map.name, map.unresolvedMerge->firstLine,
                                                    map.unresolvedMerge->lastLine)});
            }
            for (const Direction direction : allDirections) {
                judgeLink(index, direction, findings);
            }
        }
    }

private:
    const ReadMaps& read_;
    std::optional<std::unordered_map<std::string, std::size_t>> byLooseName_; // when needed

    void judgeLink(std::size_t index, Direction direction, std::vector<Finding>& findings) {
        const WorldMap& map = read_.maps[index];
        const std::string& text = map.text(direction);
        const std::optional<std::size_t> target = map.neighbour(direction);
        if (text.empty()) {
            return;
        }
        if (!target) {
            const auto failure = read_.danglingFailures.find({index, direction});
            std::optional<std::string> suggestion = suggestionFor(text);
            std::string message = danglingLink(map.name, direction, text,
                                               failure != read_.danglingFailures.end()
                                                   ? std::optional(failure->second)
                                                   : std::nullopt,
                                               suggestion);
            findings.push_back({FindingKind::Dangling, map.name, direction, text,
                                std::move(message), std::move(suggestion)});
            return;
        }
        const WorldMap& far = read_.maps[*target];
        const Direction back = opposite(direction);
        if (!far.links || far.neighbour(back) == index) {
            return; // unreadable or unresolved, told as such; or leading back
        }
        findings.push_back({FindingKind::OneWay, map.name, direction, text,
                            far.text(back).empty()
                                ? oneWayNowhere(map.name, direction, far.name)
                                : oneWayElsewhere(map.name, direction, far.name, far.text(back))});
    }

    // A map whose name differs from the text only in letter case or blanks around it.
    std::optional<std::string> suggestionFor(const std::string& text) {
        if (!byLooseName_) {
            byLooseName_.emplace();
            byLooseName_->reserve(read_.maps.size());
            for (std::size_t index = 0; index < read_.maps.size(); ++index) {
                byLooseName_->try_emplace(looseName(read_.maps[index].name), index);
            }
        }
        const auto found = byLooseName_->find(looseName(text));
        if (found == byLooseName_->end() || read_.maps[found->second].name == text) {
            return std::nullopt;
        }
        return read_.maps[found->second].name;
    }
};

int severityRank(const Finding& finding) {
    return finding.severity() == Severity::Error ? 0 : 1;
}

int directionRank(const Finding& finding) {
    return finding.direction ? static_cast<int>(*finding.direction) : -1;
}

} // namespace

World readWorld(const std::string& folder, LayoutRule layout) {
    return worldOf(readMaps(folder), layout);
}

World worldOf(ReadMaps read, LayoutRule layout) {
    World world;
    world.folder = shownName(read.folder);
    world.layout = layout;
    // The layout and the judging only read what the other writes of each map, if anything: the
    // layout sets cells and regions, the judge reads names and links. They go side by side.
    std::vector<Finding> placed;
    std::exception_ptr placingFailed;
    std::thread placing([&] {
        try {
            placed = placeMaps(read.maps, world.regionCount, layout);
        } catch (...) {
            placingFailed = std::current_exception();
        }
    });
    try {
        Judge(read).judge(world.findings);
    } catch (...) {
        placing.join();
        throw;
    }
    placing.join();
    if (placingFailed) {
        std::rethrow_exception(placingFailed);
    }
    world.findings.insert(world.findings.end(), std::make_move_iterator(placed.begin()),
                          std::make_move_iterator(placed.end()));
    std::stable_sort(world.findings.begin(), world.findings.end(),
                     [](const Finding& a, const Finding& b) {
                         return std::forward_as_tuple(severityRank(a), a.map, directionRank(a)) <
                                std::forward_as_tuple(severityRank(b), b.map, directionRank(b));
                     });
    world.maps = std::move(read.maps);
    return world;
}

} // namespace tovren
