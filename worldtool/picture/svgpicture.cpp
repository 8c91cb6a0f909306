#include "worldtool/picture/svgpicture.h"

#include "world/straightlinks.h"
#include "worldtool/embeddedfiles.h"
#include "world/regionlayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace tovren {

namespace {

// Sizes in pixels: a box, the distance between the boxes of two cells, the margins.
constexpr int boxWidth = 140;
constexpr int boxHeight = 56;
constexpr int pitchX = 220;
constexpr int pitchY = 130;
constexpr int margin = 40;
constexpr int legendHeight = 100;
constexpr int lineHeight = 18;
constexpr std::size_t longestBoxName = 18; // characters
constexpr std::size_t longestStubName = 12;
constexpr long long unplacedPerRow = 8;
constexpr double stubLength = 44;
constexpr double laneSpacing = 4; // between elbows that share a gap between boxes

struct Point {
    double x = 0;
    double y = 0;
};

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U;
}

// The name cut to so many characters, the last of them an ellipsis.
std::string shortened(const std::string& name, std::size_t characters) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (startsCharacter(name[at]) && ++count == characters) {
            const bool more = std::any_of(name.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                                          name.end(), startsCharacter);
            return more ? name.substr(0, at) + "\u2026" : name;
        }
    }
    return name;
}

// Text as XML character data or an attribute value: the five special characters escaped, and
// control characters, which XML cannot hold, shown as \xNN.
std::string xml(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&apos;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char code[8];
                std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(c));
                escaped += code;
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// "1 map", "2 maps".
std::string counted(std::size_t count, const std::string& what) {
    return std::to_string(count) + ' ' + what + (count == 1 ? "" : "s");
}

bool isAcross(Direction direction) {
    return direction == Direction::Left || direction == Direction::Right;
}

// Points as the d of an SVG path: a line through them.
std::string pathThrough(const std::vector<Point>& points) {
    std::string d;
    for (const Point& point : points) {
        d += (d.empty() ? "M" : " L") + number(point.x) + ',' + number(point.y);
    }
    return d;
}

class Picture {
public:
    Picture(const World& world, std::ostream& out)
        : world_(world), out_(out), straight_(world.maps), corners_(world.maps.size()) {
        const std::vector<RegionPlace> regions = placeRegions(world);
        long long columns = 0;
        long long rows = 0;
        for (const RegionPlace& region : regions) {
            columns = std::max(columns, region.column + region.width);
            rows = std::max(rows, region.row + region.height);
        }
        for (std::size_t index = 0; index < world.maps.size(); ++index) {
            const WorldMap& map = world.maps[index];
            if (map.cell) {
                const Cell cell = cellInWorld(regions[map.region - 1], *map.cell);
                corners_[index] = {double(margin + cell.x * pitchX),
                                   double(legendHeight + margin + cell.y * pitchY)};
            } else {
                unplacedIndices_.push_back(index);
            }
        }
        const auto unplaced = static_cast<long long>(unplacedIndices_.size());
        const double unplacedTop = legendHeight + margin + rows * pitchY + (unplaced ? 30 : 0);
        for (long long at = 0; at < unplaced; ++at) {
            corners_[unplacedIndices_[at]] = {double(margin + (at % unplacedPerRow) * pitchX),
                                              unplacedTop + double(at / unplacedPerRow) * pitchY};
        }
        unplacedTop_ = unplacedTop;
        findingsTop_ =
            unplacedTop + double((unplaced + unplacedPerRow - 1) / unplacedPerRow) * pitchY;
        width_ = double(
            2 * margin +
            std::max<long long>(std::max(columns, std::min(unplaced, unplacedPerRow)), 4) * pitchX);
        height_ = findingsTop_ + double(world.findings.size() + 2) * lineHeight + margin;
    }

    void write() {
        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"world\" width=\""
             << number(width_) << "\" height=\"" << number(height_) << "\" viewBox=\"0 0 "
             << number(width_) << ' ' << number(height_) << "\">\n"
             << "<title>" << xml("The world of " + world_.folder) << "</title>\n"
             << "<style>\n"
             << embeddedFile("picture.css") << "</style>\n"
             << "<defs>" << arrowhead("arrow", "arrowhead")
             << arrowhead("around", "arrowhead around") << "</defs>\n"
             << "<rect class=\"background\" width=\"100%\" height=\"100%\"/>\n";
        writeLegend();
        out_ << "<g class=\"links\">\n";
        for (std::size_t index = 0; index < world_.maps.size(); ++index) {
            writeLinks(index);
        }
        out_ << "</g>\n<g class=\"maps\">\n";
        for (std::size_t index = 0; index < world_.maps.size(); ++index) {
            writeBox(index);
        }
        out_ << "</g>\n";
        if (!unplacedIndices_.empty()) {
            out_ << "<text class=\"findings\" x=\"" << margin << "\" y=\""
                 << number(unplacedTop_ - 12)
                 << "\"><tspan class=\"error\">Maps that have no cell of their own "
                    "(overlap):</tspan></text>\n";
        }
        writeFindings();
        out_ << "</svg>\n";
    }

private:
    const World& world_;
    std::ostream& out_;
    const StraightLinks straight_;
    std::vector<Point> corners_; // each box's top-left corner
    std::vector<std::size_t> unplacedIndices_;
    double unplacedTop_ = 0;
    double findingsTop_ = 0;
    double width_ = 0;
    double height_ = 0;

    static std::string arrowhead(const char* id, const char* style) {
        return std::string("<marker id=\"") + id +
               "\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"8\" "
               "markerHeight=\"8\" orient=\"auto-start-reverse\"><path class=\"" +
               style + "\" d=\"M0,0 L10,5 L0,10 z\"/></marker>";
    }

    // The middle of one side of a map's box.
    Point side(std::size_t index, Direction direction) const {
        const GridStep way = stepOf(direction);
        return {corners_[index].x + boxWidth / 2.0 * (1 + way.x),
                corners_[index].y + boxHeight / 2.0 * (1 + way.y)};
    }

    // A link that is not straight: out of one box's side into the gap beside it, along gaps
    // between the boxes, and into the other box's facing side, never across a box. Elbows that
    // share a gap are set a few pixels apart.
    std::vector<Point> elbow(std::size_t from, Direction direction, std::size_t to) const {
        const bool across = isAcross(direction);
        const GridStep way = stepOf(direction);
        const double sign = across ? way.x : way.y;
        const double gap = across ? (pitchX - boxWidth) / 2.0 : (pitchY - boxHeight) / 2.0;
        const double crossGap = across ? (pitchY - boxHeight) / 2.0 : (pitchX - boxWidth) / 2.0;
        const double lane =
            double(static_cast<long long>((from * 4 + std::size_t(direction)) % 5) - 2) *
            laneSpacing;
        // Along the link's axis (a) and across it (b).
        const auto a = [&](Point p) {
            return across ? p.x : p.y;
        };
        const auto b = [&](Point p) {
            return across ? p.y : p.x;
        };
        const auto point = [&](double along, double beside) {
            return across ? Point{along, beside} : Point{beside, along};
        };
        const Point exit = side(from, direction);
        const Point entry = side(to, opposite(direction));
        const double firstGap = a(exit) + sign * gap + lane;
        const double lastGap = a(entry) - sign * gap + lane;
        if (std::abs(firstGap - lastGap) < 2 * laneSpacing + 1) {
            const double middle = (firstGap + lastGap) / 2;
            return {exit, point(middle, b(exit)), point(middle, b(entry)), entry};
        }
        // Across the rows (or columns) between, in the gap next to the far box, on its near side.
        const double farStart = b(corners_[to]);
        const double farSize = across ? boxHeight : boxWidth;
        const double crossing =
            (b(entry) < b(exit) ? farStart + farSize + crossGap : farStart - crossGap) + lane;
        return {exit,
                point(firstGap, b(exit)),
                point(firstGap, crossing),
                point(lastGap, crossing),
                point(lastGap, b(entry)),
                entry};
    }

    void linkPath(const std::string& style, std::size_t from, Direction direction,
                  const std::vector<Point>& points, bool arrow) {
        out_ << "<path class=\"link " << style << "\" data-map=\"" << from << "\" data-direction=\""
             << directionName(direction) << "\" d=\"" << pathThrough(points) << '"'
             << (arrow ? " marker-end=\"url(#arrow)\"" : "") << "/>\n";
    }

    void writeLinks(std::size_t index) {
        const WorldMap& map = world_.maps[index];
        for (const Direction direction : allDirections) {
            const std::string& text = map.text(direction);
            const std::optional<std::size_t> target = map.neighbour(direction);
            if (text.empty() || target == index) {
                continue; // nothing, or a wrap-around of the map onto itself
            }
            if (!target) {
                writeDangling(index, direction, text);
                continue;
            }
            const WorldMap& far = world_.maps[*target];
            if (world_.layout == LayoutRule::ByDirection &&
                !keepsItsDirection(*map.cell, direction, *far.cell)) {
                writeAround(index, direction, far.name);
                continue;
            }
            const bool backAgain = far.neighbour(opposite(direction)) == index;
            if (backAgain && *target < index) {
                continue; // drawn from the other end
            }
            const std::vector<Point> points =
                straight_.isStraight(index, direction)
                    ? std::vector<Point>{side(index, direction), side(*target, opposite(direction))}
                    : elbow(index, direction, *target);
            if (backAgain) {
                linkPath("both-ways", index, direction, points, false);
            } else if (far.links) {
                linkPath("one-way", index, direction, points, true);
            } else {
                linkPath("to-unreadable", index, direction, points, false);
            }
        }
    }

    void writeDangling(std::size_t index, Direction direction, const std::string& text) {
        const GridStep way = stepOf(direction);
        const Point from = side(index, direction);
        const double stubWidth = 104;
        const double stubHeight = 22;
        const Point centre{from.x + way.x * (12 + stubWidth / 2),
                           from.y + way.y * (12 + stubHeight / 2)};
        const Point reached{centre.x - way.x * stubWidth / 2, centre.y - way.y * stubHeight / 2};
        out_ << "<g class=\"dangling\" data-map=\"" << index << "\" data-direction=\""
             << directionName(direction) << "\"><title>" << xml(text)
             << "</title><path class=\"stub\" d=\"" << pathThrough({from, reached})
             << "\"/><rect class=\"box\" x=\"" << number(centre.x - stubWidth / 2) << "\" y=\""
             << number(centre.y - stubHeight / 2) << "\" width=\"" << stubWidth << "\" height=\""
             << stubHeight << "\"/><text class=\"name\" x=\"" << number(centre.x) << "\" y=\""
             << number(centre.y + 4) << "\">" << xml(shortened(text, longestStubName))
             << "</text></g>\n";
    }

    // A link cut where the world wraps around: it leads on out of the picture, named.
    void writeAround(std::size_t index, Direction direction, const std::string& target) {
        const GridStep way = stepOf(direction);
        const Point from = side(index, direction);
        const Point to{from.x + way.x * stubLength, from.y + way.y * stubLength};
        const Point label{to.x + way.x * 4, to.y + (way.y > 0 ? 14 : (way.y < 0 ? -6 : 4))};
        const char* anchor = way.x > 0 ? "start" : (way.x < 0 ? "end" : "middle");
        out_ << "<g class=\"wrap\" data-map=\"" << index << "\" data-direction=\""
             << directionName(direction) << "\"><title>"
             << xml("leads " + std::string(directionName(direction)) + " to " + target +
                    ", around the world")
             << "</title><path class=\"stub\" d=\"" << pathThrough({from, to})
             << "\" marker-end=\"url(#around)\"/><text class=\"name\" x=\"" << number(label.x)
             << "\" y=\"" << number(label.y) << "\" text-anchor=\"" << anchor << "\">"
             << xml(shortened(target, longestStubName)) << "</text></g>\n";
    }

    void writeBox(std::size_t index) {
        const WorldMap& map = world_.maps[index];
        const Point corner = corners_[index];
        std::string style = "map";
        style += map.links ? "" : " unreadable";
        style += map.cell ? "" : " unplaced";
        out_ << "<g class=\"" << style << "\" data-map=\"" << index << "\"><title>"
             << xml(map.name.empty() ? "(the file .link)" : map.name)
             << "</title><rect class=\"box\" x=\"" << number(corner.x) << "\" y=\""
             << number(corner.y) << "\" width=\"" << boxWidth << "\" height=\"" << boxHeight
             << "\" rx=\"6\"/>";
        if (!map.links) {
            out_ << "<path class=\"cross\" d=\"M" << number(corner.x) << ',' << number(corner.y)
                 << " l" << boxWidth << ',' << boxHeight << " m0," << -boxHeight << " l"
                 << -boxWidth << ',' << boxHeight << "\"/>";
        }
        out_ << "<text class=\"name\" x=\"" << number(corner.x + boxWidth / 2.0) << "\" y=\""
             << number(corner.y + boxHeight / 2.0 + 5) << "\">"
             << xml(shortened(map.name, longestBoxName)) << "</text></g>\n";
    }

    void legendText(int x, int y, const char* text) {
        out_ << "<text x=\"" << x << "\" y=\"" << y + 14 << "\">" << text << "</text>";
    }

    void writeLegend() {
        const int y = margin;
        const int y2 = y + 34;
        out_ << "<g class=\"legend\"><g class=\"map\"><rect class=\"box\" x=\"" << margin
             << "\" y=\"" << y << "\" width=\"40\" height=\"20\" rx=\"4\"/></g>";
        legendText(margin + 48, y, "a map");
        out_ << "<path class=\"link both-ways\" d=\"M" << margin + 130 << ',' << y + 10
             << " l40,0\"/>";
        legendText(margin + 178, y, "leads there and back");
        out_ << "<path class=\"link one-way\" d=\"M" << margin + 340 << ',' << y + 10
             << " l40,0\" marker-end=\"url(#arrow)\"/>";
        legendText(margin + 388, y, "one-way: does not lead back");
        out_ << "<g class=\"dangling\"><rect class=\"box\" x=\"" << margin << "\" y=\"" << y2
             << "\" width=\"40\" height=\"20\"/></g>";
        legendText(margin + 48, y2, "no such link file");
        out_ << "<g class=\"map unreadable\"><rect class=\"box\" x=\"" << margin + 200 << "\" y=\""
             << y2 << "\" width=\"40\" height=\"20\"/><path class=\"cross\" d=\"M" << margin + 200
             << ',' << y2 << " l40,20 m0,-20 l-40,20\"/></g>";
        legendText(margin + 248, y2, "cannot be loaded");
        if (world_.layout == LayoutRule::Grid) {
            out_ << "<g class=\"map unplaced\"><rect class=\"box\" x=\"" << margin + 400
                 << "\" y=\"" << y2 << "\" width=\"40\" height=\"20\" rx=\"4\"/></g>";
            legendText(margin + 448, y2, "no cell of its own (overlap)");
        } else {
            out_ << "<g class=\"wrap\"><path class=\"stub\" d=\"M" << margin + 400 << ',' << y2 + 10
                 << " l40,0\" marker-end=\"url(#around)\"/></g>";
            legendText(margin + 448, y2, "leads on around the world (wrap)");
        }
        out_ << "</g>\n";
    }

    void writeFindings() {
        double y = findingsTop_ + lineHeight;
        out_ << "<g class=\"findings\"><text class=\"summary\" x=\"" << margin << "\" y=\""
             << number(y) << "\">"
             << xml(counted(world_.maps.size(), "map") + " in " +
                    counted(world_.regionCount, "region") + ": " +
                    counted(world_.count(Severity::Error), "error") + ", " +
                    counted(world_.count(Severity::Warning), "warning"))
             << "</text>\n";
        for (const Finding& finding : world_.findings) {
            y += lineHeight;
            const bool error = finding.severity() == Severity::Error;
            out_ << "<text class=\"" << (error ? "error" : "warning") << "\" x=\"" << margin
                 << "\" y=\"" << number(y) << "\">"
                 << xml(std::string(error ? "error: " : "warning: ") +
                        findingKindName(finding.kind) + ": " + finding.message)
                 << "</text>\n";
        }
        out_ << "</g>\n";
    }
};

} // namespace

void writeSvgPicture(const World& world, std::ostream& out) {
    Picture(world, out).write();
}

} // namespace tovren
