// The layout of worlds like real ones: generated worlds of rectangles of different sizes
// (tests/support/rectangleworld.h), laid out by the directions of their links, and then again
// with each map's Tiled size, in pixels. Prints, per size, the time the layout takes (median of
// several runs), the share of straight links (in pixels: of links that touch) and the share of
// pairs of maps in their rectangles' order, and the warnings told.
// Usage: layout_bench [MAPS...]   (default 50 1000 10000 100000; pairs are counted up to 20,000)
#include "support/rectangleworld.h"
#include "world/placement.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace tovren;

namespace {

// Whether a map touches the one its link right (or down) leads to, sharing a tile of the edge.
bool touches(const WorldMap& a, bool across, const WorldMap& b) {
    if (across) {
        return a.position->x + a.size->width == b.position->x &&
               std::min(a.position->y + a.size->height, b.position->y + b.size->height) -
                       std::max(a.position->y, b.position->y) >=
                   a.size->tileHeight;
    }
    return a.position->y + a.size->height == b.position->y &&
           std::min(a.position->x + a.size->width, b.position->x + b.size->width) -
                   std::max(a.position->x, b.position->x) >=
               a.size->tileWidth;
}

void lay(const std::vector<std::size_t>& sizes, bool inPixels) {
    std::printf("%8s %8s %10s %9s %9s %9s %13s\n", "maps", "layout",
                inPixels ? "touching" : "straight", "in order", "warnings", "placed",
                inPixels ? "pixels" : "cells");
    for (const std::size_t size : sizes) {
        testing::RectangleWorld world = testing::rectangleWorld(size, 1);
        if (inPixels) {
            testing::giveTiledSizes(world);
        }
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
        std::size_t links = 0;
        std::size_t touching = 0;
        for (const WorldMap& map : placed) {
            width = std::max(width, inPixels ? map.position->x + map.size->width : map.cell->x + 1);
            height =
                std::max(height, inPixels ? map.position->y + map.size->height : map.cell->y + 1);
            for (const bool across : {true, false}) {
                const auto to = map.neighbour(across ? Direction::Right : Direction::Down);
                if (inPixels && to) {
                    ++links;
                    touching += touches(map, across, placed[*to]) ? 1 : 0;
                }
            }
        }
        char straight[16] = "-";
        char inOrder[16] = "-";
        if (inPixels) {
            std::snprintf(straight, sizeof straight, "%.1f%%",
                          100.0 * double(touching) / double(links));
        }
        if (placed.size() <= 20000) { // every pair: the square of the size
            const testing::LayoutQuality quality = testing::layoutQuality(world, placed);
            if (!inPixels) {
                std::snprintf(straight, sizeof straight, "%.1f%%",
                              100.0 * double(quality.straightLinks) / double(quality.links));
            }
            std::snprintf(inOrder, sizeof inOrder, "%.1f%%",
                          100.0 * double(quality.pairsInOrder) / double(quality.pairs));
        }
        std::printf("%8zu %6.1fms %10s %9s %9zu %9zu %6lldx%lld\n", placed.size(),
                    times[times.size() / 2] * 1e3, straight, inOrder, findings.size(),
                    placed.size(), width, height);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes{50, 1000, 10000, 100000};
    if (argc > 1) {
        sizes.clear();
        for (int at = 1; at < argc; ++at) {
            sizes.push_back(std::stoul(argv[at]));
        }
    }
    lay(sizes, false);
    std::printf("\nIn pixels, each map its rectangle's size in screens of 320 by 240\n");
    lay(sizes, true);
    return 0;
}
