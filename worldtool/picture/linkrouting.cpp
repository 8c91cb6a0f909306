#include "worldtool/picture/linkrouting.h"

#include <algorithm>
#include <cmath>
#include <iterator>

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
    sides_[{map, side}].push_back({count_, kind, towards});
    return count_++;
}

std::vector<double> Ports::offsets(double step, double room) const {
    std::vector<double> offsets(count_, 0);
    for (const auto& [side, attachments] : sides_) {
        if (attachments.size() == 1 && attachments[0].kind == Kind::Stub) {
            continue; // a stub alone: in the middle
        }
        const double first =
            side.second == Direction::Right || side.second == Direction::Down ? 1 : -1;
        std::vector<Attachment> others;
        std::copy_if(attachments.begin(), attachments.end(), std::back_inserter(others),
                     [](const Attachment& a) { return a.kind != Kind::Straight; });
        std::stable_sort(
            others.begin(), others.end(),
            [](const Attachment& a, const Attachment& b) { return a.towards < b.towards; });
        std::vector<double> places;
        for (std::size_t n = 1; n <= others.size(); ++n) {
            places.push_back(place(n, first, step, room));
        }
        std::sort(places.begin(), places.end());
        for (std::size_t at = 0; at < others.size(); ++at) {
            offsets[others[at].handle] = places[at];
        }
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
