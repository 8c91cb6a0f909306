#pragma once

#include "world/world.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace tovren {

// What the layout in pixels works on: the maps of the regions in which any map has a size, as
// boxes, and the links between them whose direction the cells keep, once per pair of maps.
// Values on axis 0 are across (x, widths), on axis 1 down (y, heights).
struct PixelBox {
    std::uint32_t map = 0; // in the world
    std::size_t region = 0;
    long long size[2] = {0, 0};
    long long tile[2] = {0, 0};
    long long cell[2] = {0, 0};
};

struct PixelLink {
    std::uint32_t before = 0; // box left of (or above) `after`
    std::uint32_t after = 0;
    int axis = 0;            // 0: a link right or left; 1: down or up
    std::uint32_t owner = 0; // the map whose field leads it, forwards where both do
    Direction direction = Direction::Right;
    // Whether it still asks, on each axis, what a link asks there: on its own axis that its
    // maps touch, on the other that their spans overlap by a tile.
    bool asks[2] = {true, true};

    // The overlap it asks across its own axis, on axis `across`, of the spans of its boxes.
    long long overlap(const std::vector<PixelBox>& boxes, int across) const;
};

struct PixelWorld {
    std::vector<PixelBox> boxes;
    std::vector<PixelLink> links;
};

// The boxes of every region in which any map has its Tiled map's size, in the order of the maps;
// a map without a size there takes the region's most common one, which is set as its size.
PixelWorld pixelWorldOf(std::vector<WorldMap>& maps, std::size_t regionCount);

// The way one step goes along an axis: forwards is right (axis 0) or down (axis 1).
constexpr Direction wayAlong(int axis, bool forwards) {
    if (axis == 0) {
        return forwards ? Direction::Right : Direction::Left;
    }
    return forwards ? Direction::Down : Direction::Up;
}

} // namespace tovren
