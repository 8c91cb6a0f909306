#include "world/axisorder.h"

#include "world/findingtext.h"

#include <algorithm>
#include <limits>

namespace tovren {

namespace {

constexpr std::uint32_t unset = std::numeric_limits<std::uint32_t>::max();
constexpr std::size_t namesInAWrap = 4; // the maps of a longer loop are counted, not named

// The direction of a link that says `before` comes before `after`, and the opposite one.
Direction forwards(Axis axis) {
    return axis == Axis::Across ? Direction::Right : Direction::Down;
}

struct Said {
    std::uint32_t before;
    std::uint32_t after;
    bool byBefore; // the map before leads forwards to the one after
};

class LoopCutter {
public:
    LoopCutter(const std::vector<WorldMap>& maps, Axis axis, AxisOrder& order,
               std::vector<Finding>& wraps)
        : maps_(maps), axis_(axis), order_(order), wraps_(wraps) {}

    // Walks each loop from its first map; every edge back to a map still on the walk closes a
    // loop and is cut. What is left has no loop.
    void cut() {
        const std::size_t count = maps_.size();
        component_ =
            componentsOf(order_.edges.mapped([](const OrderEdge& edge) { return edge.after; }));
        std::vector<std::uint32_t> size(count, 0);
        for (const std::uint32_t component : component_) {
            ++size[component];
        }
        state_.assign(count, State::Unseen);
        depth_.assign(count, 0);
        for (std::uint32_t map = 0; map < count; ++map) {
            if (size[component_[map]] > 1 && state_[map] == State::Unseen) {
                walk(map);
            }
        }
    }

private:
    enum class State : unsigned char { Unseen, OnWalk, Done };
    struct Frame {
        std::uint32_t map;
        std::uint32_t nextEdge;
    };

    const std::vector<WorldMap>& maps_;
    Axis axis_;
    AxisOrder& order_;
    std::vector<Finding>& wraps_;
    std::vector<std::uint32_t> component_;
    std::vector<State> state_;
    std::vector<std::uint32_t> depth_;
    std::vector<std::uint32_t> walked_; // the maps from the start of the walk to where it is

    void enter(std::uint32_t map, std::vector<Frame>& frames) {
        state_[map] = State::OnWalk;
        depth_[map] = static_cast<std::uint32_t>(walked_.size());
        walked_.push_back(map);
        frames.push_back({map, order_.edges.firstOf(map)});
    }

    void walk(std::uint32_t start) {
        std::vector<Frame> frames;
        enter(start, frames);
        while (!frames.empty()) {
            const std::uint32_t map = frames.back().map;
            const std::uint32_t at = frames.back().nextEdge;
            if (at == order_.edges.firstOf(map + 1)) {
                state_[map] = State::Done;
                walked_.pop_back();
                frames.pop_back();
                continue;
            }
            ++frames.back().nextEdge;
            OrderEdge& edge = order_.edges.edges()[at];
            const std::uint32_t next = edge.after;
            if (component_[next] != component_[map]) {
                continue;
            }
            if (state_[next] == State::Unseen) {
                enter(next, frames);
            } else if (state_[next] == State::OnWalk) {
                edge.cut = true;
                tellLoop(edge);
            }
        }
    }

    // The link that closes the loop is told: its map's own if it leads forwards, else the one
    // that leads back the other way.
    void tellLoop(const OrderEdge& edge) {
        const Direction way = forwards(axis_);
        const bool byBefore = maps_[edge.before].neighbour(way) == edge.after;
        const std::uint32_t owner = byBefore ? edge.before : edge.after;
        const Direction direction = byBefore ? way : opposite(way);
        const std::uint32_t start = edge.after;
        std::vector<std::string> through;
        const std::size_t length = walked_.size() - depth_[start] - 1;
        for (std::size_t at = depth_[start] + 1;
             at < walked_.size() && through.size() < namesInAWrap; ++at) {
            through.push_back(maps_[walked_[at]].name);
        }
        wraps_.push_back({FindingKind::Wrap, maps_[owner].name, direction,
                          maps_[owner].text(direction),
                          wrapsAround(way, maps_[start].name, through, length)});
    }
};

} // namespace

std::vector<Index> componentsOf(const Adjacency<Index>& graph) {
    // Tarjan's algorithm with a stack of its own: a long chain of maps must not run the
    // program's stack out.
    const std::size_t count = graph.nodeCount();
    const std::vector<Index>& targets = graph.edges();
    std::vector<std::uint32_t> index(count, unset);
    std::vector<std::uint32_t> low(count, 0);
    std::vector<std::uint32_t> component(count, unset);
    std::vector<std::uint32_t> open;
    std::vector<bool> isOpen(count, false);
    struct Call {
        std::uint32_t node;
        std::uint32_t next;
    };
    std::vector<Call> calls;
    std::uint32_t counter = 0;
    std::uint32_t components = 0;
    const auto visit = [&](std::uint32_t node) {
        index[node] = low[node] = counter++;
        open.push_back(node);
        isOpen[node] = true;
        calls.push_back({node, graph.firstOf(node)});
    };
    for (std::uint32_t start = 0; start < count; ++start) {
        if (index[start] != unset) {
            continue;
        }
        visit(start);
        while (!calls.empty()) {
            const std::uint32_t node = calls.back().node;
            if (calls.back().next < graph.firstOf(node + 1)) {
                const std::uint32_t next = targets[calls.back().next++];
                if (index[next] == unset) {
                    visit(next);
                } else if (isOpen[next]) {
                    low[node] = std::min(low[node], index[next]);
                }
                continue;
            }
            calls.pop_back();
            if (!calls.empty()) {
                low[calls.back().node] = std::min(low[calls.back().node], low[node]);
            }
            if (low[node] == index[node]) {
                std::uint32_t member = unset;
                do {
                    member = open.back();
                    open.pop_back();
                    isOpen[member] = false;
                    component[member] = components;
                } while (member != node);
                ++components;
            }
        }
    }
    return component;
}

AxisOrder orderAlong(const std::vector<WorldMap>& maps, Axis axis, std::vector<Finding>& wraps) {
    const Direction way = forwards(axis);
    std::vector<Said> said;
    for (std::uint32_t map = 0; map < maps.size(); ++map) {
        const std::optional<std::size_t> ahead = maps[map].neighbour(way);
        const std::optional<std::size_t> behind = maps[map].neighbour(opposite(way));
        if (ahead && *ahead != map) {
            said.push_back({map, static_cast<std::uint32_t>(*ahead), true});
        }
        if (behind && *behind != map) {
            said.push_back({static_cast<std::uint32_t>(*behind), map, false});
        }
    }
    std::sort(said.begin(), said.end(), [](const Said& a, const Said& b) {
        return a.before != b.before ? a.before < b.before : a.after < b.after;
    });
    std::vector<OrderEdge> edges;
    for (const Said& one : said) {
        if (edges.empty() || edges.back().before != one.before || edges.back().after != one.after) {
            edges.push_back({one.before, one.after, false, false});
        }
        // A pair said by both of its maps leads there and back.
        edges.back().mutual =
            edges.back().mutual || (one.byBefore ? maps[one.after].neighbour(opposite(way)) ==
                                                       std::optional<std::size_t>(one.before)
                                                 : maps[one.before].neighbour(way) ==
                                                       std::optional<std::size_t>(one.after));
    }
    AxisOrder order{Adjacency<OrderEdge>(maps.size(), [&](auto add) {
        for (const OrderEdge& edge : edges) {
            add(edge.before, edge);
        }
    })};
    LoopCutter(maps, axis, order, wraps).cut();
    return order;
}

} // namespace tovren
