// The layout of worlds like real ones: generated worlds of rectangles of different sizes
// (tests/support/rectangleworld.h), laid out by the directions of their links. Prints, per
// size, the time the layout takes (median of several runs), the share of straight links and the
// share of pairs of maps in their rectangles' order; and, with a loop, the wrap it tells.
// Usage: layout_bench [MAPS...]   (default 50 1000 10000 100000; pairs are counted up to 20,000)
#include "support/rectangleworld.h"
#include "world/placement.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace tovren;

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes{50, 1000, 10000, 100000};
    if (argc > 1) {
        sizes.clear();
        for (int at = 1; at < argc; ++at) {
            sizes.push_back(std::stoul(argv[at]));
        }
    }
    std::printf("%8s %8s %10s %9s %9s %9s %9s\n", "maps", "layout", "straight", "in order",
                "warnings", "placed", "cells");
    for (const std::size_t size : sizes) {
        const testing::RectangleWorld world = testing::rectangleWorld(size, 1);
        std::vector<double> times;
        std::vector<WorldMap> placed;
        std::vector<Finding> findings;
        for (int run = 0; run < 5; ++run) {
            std::vector<WorldMap> maps = world.maps;
            std::size_t regions = 0;
            const auto started = std::chrono::steady_clock::now();
            findings = placeMaps(maps, regions, LayoutRule::ByDirection);
            times.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
            placed = std::move(maps);
        }
        std::sort(times.begin(), times.end());
        long long width = 0;
        long long height = 0;
        for (const WorldMap& map : placed) {
            width = std::max(width, map.cell->x + 1);
            height = std::max(height, map.cell->y + 1);
        }
        char straight[16] = "-";
        char inOrder[16] = "-";
        if (placed.size() <= 20000) { // every pair: the square of the size
            const testing::LayoutQuality quality = testing::layoutQuality(world, placed);
            std::snprintf(straight, sizeof straight, "%.1f%%",
                          100.0 * double(quality.straightLinks) / double(quality.links));
            std::snprintf(inOrder, sizeof inOrder, "%.1f%%",
                          100.0 * double(quality.pairsInOrder) / double(quality.pairs));
        }
        std::printf("%8zu %6.1fms %10s %9s %9zu %9zu %4lldx%lld\n", placed.size(),
                    times[times.size() / 2] * 1e3, straight, inOrder, findings.size(),
                    placed.size(), width, height);
    }
    return 0;
}
