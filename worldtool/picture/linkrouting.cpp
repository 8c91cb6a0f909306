#include "worldtool/picture/linkrouting.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace tovren {

namespace {

// The n-th place from the middle: 0, then one step to the first hand, one to the other, two to
// the first, and so on; `first` is +1 or -1. Places beyond `room` start again at the middle.
double place(std::size_t n, double first, double step, double room) {
    const auto most = static_cast<std::size_t>(room / step);
    n %= 2 * most + 1;
    const double steps = std::ceil(double(n) / 2);
    return (n % 2 == 1 ? first : -first) * steps * step;
}

} // namespace

std::size_t Ports::add(std::size_t map, Direction side, Kind kind, double towards) {
    attachments_.push_back({map * 4 + std::size_t(side), attachments_.size(), kind, towards});
    return attachments_.size() - 1;
}

std::vector<double> Ports::offsets(double step, double room) const {
    std::vector<double> offsets(attachments_.size(), 0);
    // Side by side, in the order of where their other ends lie; straight links first.
    std::vector<Attachment> sorted = attachments_;
    std::sort(sorted.begin(), sorted.end(), [](const Attachment& a, const Attachment& b) {
        return std::tuple(a.side, a.kind != Kind::Straight, a.towards, a.handle) <
               std::tuple(b.side, b.kind != Kind::Straight, b.towards, b.handle);
    });
    for (auto first = sorted.begin(); first != sorted.end();) {
        const auto last = std::find_if(first, sorted.end(),
                                       [&](const Attachment& a) { return a.side != first->side; });
        const auto others =
            std::find_if(first, last, [](const Attachment& a) { return a.kind != Kind::Straight; });
        const bool stubAlone = last - first == 1 && first->kind == Kind::Stub;
        if (!stubAlone && others != last) {
            const auto side = static_cast<Direction>(first->side % 4);
            const double hand = side == Direction::Right || side == Direction::Down ? 1 : -1;
            std::vector<double> places;
            for (std::size_t n = 1; n <= std::size_t(last - others); ++n) {
                places.push_back(place(n, hand, step, room));
            }
            std::sort(places.begin(), places.end());
            for (auto at = others; at != last; ++at) {
                offsets[at->handle] = places[std::size_t(at - others)];
            }
        }
        first = last;
    }
    return offsets;
}

std::size_t Lanes::add(bool upright, double at, double from, double to) {
    corridors_[{upright, std::llround(at)}].push_back(
        {count_, std::min(from, to), std::max(from, to)});
    return count_++;
}

std::vector<double> Lanes::offsets(double step, double room, double pad) const {
    std::vector<double> offsets(count_, 0);
    for (const auto& [corridor, given] : corridors_) {
        std::vector<Stroke> strokes = given;
        std::sort(strokes.begin(), strokes.end(), [](const Stroke& a, const Stroke& b) {
            return std::tie(a.from, a.to, a.handle) < std::tie(b.from, b.to, b.handle);
        });
        // Where each lane is taken up to; a stroke takes the first lane free at its start.
        std::vector<double> takenTo;
        for (const Stroke& stroke : strokes) {
            std::size_t lane = 0;
            while (lane < takenTo.size() && takenTo[lane] + pad >= stroke.from) {
                ++lane;
            }
            if (lane == takenTo.size()) {
                takenTo.push_back(stroke.to);
            } else {
                takenTo[lane] = stroke.to;
            }
            offsets[stroke.handle] = place(lane, 1, step, room);
        }
    }
    return offsets;
}

} // namespace tovren
