#include "worldtool/svgpicture.h"

#include "worldtool/regionlayout.h"

#include <algorithm>
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

constexpr const char* warningColour = "#e07000";
constexpr const char* errorColour = "#d00000";

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

Point step(Direction direction) {
    const GridStep way = stepOf(direction);
    return {double(way.x), double(way.y)};
}

class Picture {
public:
    Picture(const World& world, std::ostream& out)
        : world_(world), out_(out), corners_(world.maps.size()) {
        const std::vector<RegionPlace> regions = placeRegions(world);
        long long columns = 0;
        long long rows = 0;
        for (const RegionPlace& region : regions) {
            columns = std::max(columns, region.column + region.width);
            rows = std::max(rows, region.height);
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
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << number(width_)
             << "\" height=\"" << number(height_) << "\" viewBox=\"0 0 " << number(width_) << ' '
             << number(height_) << "\" font-family=\"sans-serif\" font-size=\"13\">\n"
             << "<title>" << xml("The world of " + world_.folder) << "</title>\n"
             << "<defs><marker id=\"arrow\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" "
                "markerWidth=\"8\" markerHeight=\"8\" orient=\"auto-start-reverse\">"
                "<path d=\"M0,0 L10,5 L0,10 z\" fill=\""
             << warningColour << "\"/></marker></defs>\n"
             << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
        writeLegend();
        for (std::size_t index = 0; index < world_.maps.size(); ++index) {
            writeLinks(index);
        }
        for (std::size_t index = 0; index < world_.maps.size(); ++index) {
            writeBox(index);
        }
        if (!unplacedIndices_.empty()) {
            out_ << "<text x=\"" << margin << "\" y=\"" << number(unplacedTop_ - 12) << "\" fill=\""
                 << errorColour << "\">Maps that have no cell of their own (overlap):</text>\n";
        }
        writeFindings();
        out_ << "</svg>\n";
    }

private:
    const World& world_;
    std::ostream& out_;
    std::vector<Point> corners_; // each box's top-left corner
    std::vector<std::size_t> unplacedIndices_;
    double unplacedTop_ = 0;
    double findingsTop_ = 0;
    double width_ = 0;
    double height_ = 0;

    Point edge(std::size_t index, Direction direction) const {
        const Point way = step(direction);
        return {corners_[index].x + boxWidth / 2.0 * (1 + way.x),
                corners_[index].y + boxHeight / 2.0 * (1 + way.y)};
    }

    void line(Point from, Point to, const std::string& style) {
        out_ << "<line x1=\"" << number(from.x) << "\" y1=\"" << number(from.y) << "\" x2=\""
             << number(to.x) << "\" y2=\"" << number(to.y) << "\" " << style << "/>\n";
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
            const bool backAgain = far.neighbour(opposite(direction)) == index;
            if (backAgain && *target < index) {
                continue; // drawn from the other end
            }
            const Point from = edge(index, direction);
            const Point to = edge(*target, opposite(direction));
            if (backAgain) {
                line(from, to, "stroke=\"#404040\" stroke-width=\"2\"");
            } else if (far.links) {
                line(from, to,
                     std::string("stroke=\"") + warningColour +
                         "\" stroke-width=\"2\" marker-end=\"url(#arrow)\"");
            } else {
                line(from, to, "stroke=\"#909090\" stroke-width=\"1.5\"");
            }
        }
    }

    void writeDangling(std::size_t index, Direction direction, const std::string& text) {
        const Point way = step(direction);
        const Point from = edge(index, direction);
        const double stubWidth = 104;
        const double stubHeight = 22;
        const Point centre{from.x + way.x * (12 + stubWidth / 2),
                           from.y + way.y * (12 + stubHeight / 2)};
        const Point reached{centre.x - way.x * stubWidth / 2, centre.y - way.y * stubHeight / 2};
        line(from, reached, std::string("stroke=\"") + errorColour + "\" stroke-width=\"2\"");
        out_ << "<g><title>" << xml(text) << "</title><rect x=\""
             << number(centre.x - stubWidth / 2) << "\" y=\"" << number(centre.y - stubHeight / 2)
             << "\" width=\"" << stubWidth << "\" height=\"" << stubHeight
             << "\" fill=\"#fff4f4\" stroke=\"" << errorColour
             << "\" stroke-dasharray=\"4 3\"/><text x=\"" << number(centre.x) << "\" y=\""
             << number(centre.y + 4) << "\" text-anchor=\"middle\" font-size=\"11\">"
             << xml(shortened(text, longestStubName)) << "</text></g>\n";
    }

    void writeBox(std::size_t index) {
        const WorldMap& map = world_.maps[index];
        const Point corner = corners_[index];
        const bool unreadable = !map.links;
        const bool unplaced = !map.cell;
        out_ << "<g><title>" << xml(map.name.empty() ? "(the file .link)" : map.name)
             << "</title><rect x=\"" << number(corner.x) << "\" y=\"" << number(corner.y)
             << "\" width=\"" << boxWidth << "\" height=\"" << boxHeight << "\" rx=\"6\" fill=\""
             << (unreadable ? "#e8e8e8" : "#eaf2ff") << "\" stroke=\""
             << (unplaced ? errorColour : "#404040") << "\" stroke-width=\"" << (unplaced ? 3 : 1.5)
             << "\"/>";
        if (unreadable) {
            out_ << "<path d=\"M" << number(corner.x) << ',' << number(corner.y) << " l" << boxWidth
                 << ',' << boxHeight << " m0," << -boxHeight << " l" << -boxWidth << ','
                 << boxHeight << "\" stroke=\"" << errorColour << "\" stroke-width=\"2\"/>";
        }
        out_ << "<text x=\"" << number(corner.x + boxWidth / 2.0) << "\" y=\""
             << number(corner.y + boxHeight / 2.0 + 5) << "\" text-anchor=\"middle\""
             << (unreadable ? " text-decoration=\"line-through\"" : "") << '>'
             << xml(shortened(map.name, longestBoxName)) << "</text></g>\n";
    }

    void writeLegend() {
        const int y = margin;
        out_ << "<g font-size=\"12\">"
             << "<rect x=\"" << margin << "\" y=\"" << y
             << "\" width=\"40\" height=\"20\" rx=\"4\" "
                "fill=\"#eaf2ff\" stroke=\"#404040\"/><text x=\""
             << margin + 48 << "\" y=\"" << y + 14 << "\">a map</text>";
        line({double(margin + 130), y + 10.0}, {double(margin + 170), y + 10.0},
             "stroke=\"#404040\" stroke-width=\"2\"");
        out_ << "<text x=\"" << margin + 178 << "\" y=\"" << y + 14
             << "\">leads there and back</text>";
        line({double(margin + 340), y + 10.0}, {double(margin + 380), y + 10.0},
             std::string("stroke=\"") + warningColour +
                 "\" stroke-width=\"2\" marker-end=\"url(#arrow)\"");
        out_ << "<text x=\"" << margin + 388 << "\" y=\"" << y + 14
             << "\">one-way: does not lead back</text>";
        const int y2 = y + 34;
        out_ << "<rect x=\"" << margin << "\" y=\"" << y2
             << "\" width=\"40\" height=\"20\" fill=\"#fff4f4\" stroke=\"" << errorColour
             << "\" stroke-dasharray=\"4 3\"/><text x=\"" << margin + 48 << "\" y=\"" << y2 + 14
             << "\">no such link file</text>"
             << "<rect x=\"" << margin + 200 << "\" y=\"" << y2
             << "\" width=\"40\" height=\"20\" fill=\"#e8e8e8\" stroke=\"#404040\"/><path d=\"M"
             << margin + 200 << ',' << y2 << " l40,20 m0,-20 l-40,20\" stroke=\"" << errorColour
             << "\" stroke-width=\"2\"/><text x=\"" << margin + 248 << "\" y=\"" << y2 + 14
             << "\">cannot be loaded</text>"
             << "<rect x=\"" << margin + 400 << "\" y=\"" << y2
             << "\" width=\"40\" height=\"20\" rx=\"4\" fill=\"#eaf2ff\" stroke=\"" << errorColour
             << "\" stroke-width=\"3\"/><text x=\"" << margin + 448 << "\" y=\"" << y2 + 14
             << "\">no cell of its own (overlap)</text></g>\n";
    }

    void writeFindings() {
        double y = findingsTop_ + lineHeight;
        out_ << "<g font-size=\"13\"><text x=\"" << margin << "\" y=\"" << number(y)
             << "\" font-weight=\"bold\">"
             << xml(std::to_string(world_.maps.size()) + " maps in " +
                    std::to_string(world_.regionCount) +
                    " regions: " + std::to_string(world_.count(Severity::Error)) + " errors, " +
                    std::to_string(world_.count(Severity::Warning)) + " warnings")
             << "</text>\n";
        for (const Finding& finding : world_.findings) {
            y += lineHeight;
            const bool error = finding.severity() == Severity::Error;
            out_ << "<text x=\"" << margin << "\" y=\"" << number(y) << "\" fill=\""
                 << (error ? errorColour : warningColour) << "\">"
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
