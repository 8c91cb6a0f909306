#include "world/placement.h"

#include "world/findingtext.h"

#include <algorithm>
#include <deque>
#include <map>
#include <set>
#include <utility>

namespace tovren {

namespace {

Cell step(Cell from, Direction direction, long long sign) {
    switch (direction) {
    case Direction::Up:
        from.y -= sign;
        break;
    case Direction::Down:
        from.y += sign;
        break;
    case Direction::Left:
        from.x -= sign;
        break;
    case Direction::Right:
        from.x += sign;
        break;
    }
    return from;
}

// A link seen from either end: `from` leads `direction` to `to` (sign 1), or `to` leads
// `direction` to `from` (sign -1).
struct Edge {
    std::size_t other;
    Direction direction;
    long long sign;
};

class Layout {
public:
    explicit Layout(std::vector<WorldMap>& maps) : maps_(maps), edges_(maps.size()) {
        for (std::size_t from = 0; from < maps.size(); ++from) {
            for (const Direction direction : allDirections) {
                const std::optional<std::size_t> to = maps[from].neighbour(direction);
                if (to && *to != from) {
                    edges_[from].push_back({*to, direction, 1});
                    edges_[*to].push_back({from, direction, -1});
                }
            }
        }
    }

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
    std::vector<std::vector<Edge>> edges_;
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
            for (const Edge& edge : edges_[from]) {
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
        std::map<std::pair<std::size_t, std::pair<long long, long long>>, std::size_t> taken;
        for (std::size_t index = 0; index < maps_.size(); ++index) {
            const Cell cell = *maps_[index].cell;
            const auto [place, isNew] =
                taken.try_emplace({maps_[index].region, {cell.x, cell.y}}, index);
            if (isNew) {
                continue;
            }
            const std::size_t first = place->second;
            unplaced_.insert(first);
            unplaced_.insert(index);
            if (firstTimeFor(first, index)) {
                findings_.push_back({FindingKind::Overlap, maps_[index].name, std::nullopt,
                                     std::nullopt,
                                     shareACell(maps_[first].name, maps_[index].name, cell)});
            }
        }
    }
};

} // namespace

std::vector<Finding> placeMaps(std::vector<WorldMap>& maps, std::size_t& regionCount) {
    return Layout(maps).place(regionCount);
}

} // namespace tovren
