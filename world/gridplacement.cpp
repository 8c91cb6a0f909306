#include "world/gridplacement.h"

#include "world/adjacency.h"
#include "world/findingtext.h"

#include <algorithm>
#include <deque>
#include <set>
#include <utility>

namespace tovren {

namespace {

Cell step(Cell from, Direction direction, long long sign) {
    const GridStep way = stepOf(direction);
    return {from.x + sign * way.x, from.y + sign * way.y};
}

// A link seen from either end: `from` leads `direction` to `other` (sign 1), or `other` leads
// `direction` to `from` (sign -1).
struct Edge {
    std::size_t other;
    Direction direction;
    long long sign;
};

class GridLayout {
public:
    // Every map's links, seen from both ends.
    explicit GridLayout(std::vector<WorldMap>& maps)
        : maps_(maps), edges_(maps.size(), [&](auto add) {
              forEachLink([&](std::size_t from, Direction direction, std::size_t to) {
                  add(from, Edge{to, direction, 1});
                  add(to, Edge{from, direction, -1});
              });
          }) {}

    std::vector<Finding> place(std::size_t& regionCount) {
        regionCount = 0;
        for (std::size_t start = 0; start < maps_.size(); ++start) {
            if (maps_[start].region == 0) {
                spread(start, ++regionCount);
            }
        }
        findSharedCells();
        for (const std::size_t index : unplaced_) {
            maps_[index].cell.reset();
        }
        return std::move(findings_);
    }

private:
    std::vector<WorldMap>& maps_;
    Adjacency<Edge> edges_;
    std::set<std::size_t> unplaced_;
    std::set<std::pair<std::size_t, std::size_t>> toldPairs_;
    std::vector<Finding> findings_;

    void spread(std::size_t start, std::size_t region) {
        std::deque<std::size_t> waiting{start};
        maps_[start].region = region;
        maps_[start].cell = Cell{};
        while (!waiting.empty()) {
            const std::size_t from = waiting.front();
            waiting.pop_front();
            for (const Edge& edge : edges_.from(from)) {
                const Cell wanted = step(*maps_[from].cell, edge.direction, edge.sign);
                WorldMap& other = maps_[edge.other];
                if (other.region == 0) {
                    other.region = region;
                    other.cell = wanted;
                    waiting.push_back(edge.other);
                } else if (*other.cell != wanted) {
                    tellTwoCells(from, edge, wanted);
                }
            }
        }
    }

    // Calls back with every link between two maps; a link of a map to itself demands no cell.
    template <typename Action> void forEachLink(Action action) const {
        for (std::size_t from = 0; from < maps_.size(); ++from) {
            for (const Direction direction : allDirections) {
                const std::optional<std::size_t> to = maps_[from].neighbour(direction);
                if (to && *to != from) {
                    action(from, direction, *to);
                }
            }
        }
    }

    bool firstTimeFor(std::size_t a, std::size_t b) {
        return toldPairs_.insert(std::pair<std::size_t, std::size_t>(std::minmax(a, b))).second;
    }

    // The link that would move a map already placed; told once for each pair of maps.
    void tellTwoCells(std::size_t from, const Edge& edge, Cell wanted) {
        const std::size_t moved = edge.other;
        if (!firstTimeFor(from, moved)) {
            return; // the same pair seen from its other end
        }
        unplaced_.insert(moved);
        const std::size_t leader = edge.sign > 0 ? from : moved;
        const std::size_t led = edge.sign > 0 ? moved : from;
        findings_.push_back({FindingKind::Overlap, maps_[leader].name, edge.direction,
                             maps_[leader].text(edge.direction),
                             wouldNeedTwoCells(maps_[leader].name, edge.direction, maps_[led].name,
                                               maps_[moved].name, *maps_[moved].cell, wanted)});
    }

    void findSharedCells() {
        // By region and cell, then by map: two maps on one cell come next to each other.
        struct Place {
            std::size_t region;
            Cell cell;
            std::size_t map;
            bool sameCell(const Place& other) const {
                return region == other.region && cell == other.cell;
            }
            bool operator<(const Place& other) const {
                if (region != other.region) {
                    return region < other.region;
                }
                if (cell.x != other.cell.x) {
                    return cell.x < other.cell.x;
                }
                return cell.y != other.cell.y ? cell.y < other.cell.y : map < other.map;
            }
        };
        std::vector<Place> places;
        places.reserve(maps_.size());
        for (std::size_t index = 0; index < maps_.size(); ++index) {
            places.push_back({maps_[index].region, *maps_[index].cell, index});
        }
        std::sort(places.begin(), places.end());
        for (std::size_t at = 1; at < places.size(); ++at) {
            if (!places[at].sameCell(places[at - 1])) {
                continue;
            }
            const std::size_t first = places[at - 1].map;
            const std::size_t index = places[at].map;
            unplaced_.insert(first);
            unplaced_.insert(index);
            if (firstTimeFor(first, index)) {
                findings_.push_back(
                    {FindingKind::Overlap, maps_[index].name, std::nullopt, std::nullopt,
                     shareACell(maps_[first].name, maps_[index].name, places[at].cell)});
            }
        }
    }
};

} // namespace

std::vector<Finding> placeOnGrid(std::vector<WorldMap>& maps, std::size_t& regionCount) {
    return GridLayout(maps).place(regionCount);
}

} // namespace tovren
