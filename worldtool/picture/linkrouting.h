#pragma once

#include "world/direction.h"

#include <cstddef>
#include <map>
#include <tuple>
#include <vector>

namespace tovren {

// Keeping links apart on the picture. Where several links meet one side of a box, each meets it
// at a port of its own: a straight link in the middle (it must meet the facing box's middle
// too), so is a stub alone on its side; the others a step apart, to one hand first on right and
// lower sides and to the other on left and upper ones, so that the elbows out of two boxes
// facing each other across a gap never meet and look like one line between them; and in the
// order of where their other ends lie along the side, so that they do not cross each other
// there.
// An elbow's strokes along a gap between boxes run in lanes: each gap is a corridor, and strokes
// along one corridor that would overlap (with room for the other corridors' lanes to move their
// ends) are given different lanes, the middle first, then a step to either side.

class Ports {
public:
    enum class Kind { Straight, Stub, Elbow };

    // Something of this kind meets this side of this map, its other end at `towards` along the
    // side (y for a left or right side, x for an upper or lower one). Returns its handle.
    std::size_t add(std::size_t map, Direction side, Kind kind, double towards);

    // Each handle's place along its side, from the middle, in pixels.
    std::vector<double> offsets(double step, double room) const;

private:
    struct Attachment {
        std::size_t side; // the map's index times four and the side's
        std::size_t handle;
        Kind kind;
        double towards;
    };
    std::vector<Attachment> attachments_; // by handle
};

class Lanes {
public:
    // A stroke along the corridor of the gap whose middle is at `at` (x for an upright one, y
    // for a level one), from `from` to `to` along it. Returns its handle.
    std::size_t add(bool upright, double at, double from, double to);

    // Each handle's lane, as its distance from the corridor's middle, in pixels: strokes whose
    // spans come within `pad` of each other are given different lanes.
    std::vector<double> offsets(double step, double room, double pad) const;

private:
    struct Stroke {
        std::size_t handle;
        double from;
        double to;
    };
    std::map<std::pair<bool, long long>, std::vector<Stroke>> corridors_;
    std::size_t count_ = 0;
};

} // namespace tovren
