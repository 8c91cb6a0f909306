#include "worldtool/picture/svgpicture.h"

#include "worldtool/embeddedfiles.h"
#include "worldtool/picture/geometry.h"
#include "worldtool/picture/svgtext.h"
#include "worldtool/report/report.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace tovren {

namespace {

// "maps at 44% of their size": a scale in percent, to two figures.
std::string scaleInWords(double scale) {
    const double percent = scale * 100;
    const double unit = std::pow(10.0, std::floor(std::log10(percent)) - 1);
    return "maps at " + number(std::round(percent / unit) * unit) + "% of their size";
}

std::string arrowhead(const char* id, const char* style) {
    return std::string("<marker id=\"") + id +
           "\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"8\" "
           "markerHeight=\"8\" orient=\"auto-start-reverse\"><path class=\"" +
           style + "\" d=\"M0,0 L10,5 L0,10 z\"/></marker>";
}

// The attributes by which the page knows what a part of the picture stands for.
std::string owner(std::size_t map, Direction direction) {
    return "data-map=\"" + std::to_string(map) + "\" data-direction=\"" +
           std::string(directionName(direction)) + '"';
}

class Picture {
public:
    Picture(const World& world, std::ostream& out) : world_(world), out_(out), at_(world) {}

    void write() {
        out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"world\" width=\""
             << number(at_.width()) << "\" height=\"" << number(at_.height()) << "\" viewBox=\"0 0 "
             << number(at_.width()) << ' ' << number(at_.height()) << "\" data-box-width=\""
             << boxWidth << "\" data-box-height=\"" << boxHeight << "\" data-pitch-x=\"" << pitchX
             << "\" data-pitch-y=\"" << pitchY << "\">\n"
             << "<title>" << xml("The world of " + world_.folder) << "</title>\n"
             << "<style>\n"
             << embeddedFile("picture.css") << "</style>\n"
             << "<defs>" << arrowhead("arrow", "arrowhead")
             << arrowhead("around", "arrowhead around") << "</defs>\n"
             << "<rect class=\"background\" width=\"100%\" height=\"100%\"/>\n";
        writeLegend();
        // Maps drawn at their sizes touch, and their links cross their edges: over them.
        if (at_.scale() > 0) {
            writeMaps();
            writeLinks();
        } else {
            writeLinks();
            writeMaps();
        }
        if (!at_.unplaced().empty()) {
            out_ << "<text class=\"findings\" x=\"" << margin << "\" y=\""
                 << number(at_.unplacedTop() - 12)
                 << "\"><tspan class=\"error\">Maps that have no cell of their own "
                    "(overlap):</tspan></text>\n";
        }
        writeFindings();
        out_ << "</svg>\n";
    }

private:
    const World& world_;
    std::ostream& out_;
    const PictureGeometry at_;

    void writeLinks() {
        out_ << "<g class=\"links\">\n";
        for (const LinkShape& shape : at_.links()) {
            writeLink(shape);
        }
        out_ << "</g>\n";
    }

    void writeMaps() {
        out_ << "<g class=\"maps\">\n";
        for (std::size_t index = 0; index < world_.maps.size(); ++index) {
            writeBox(index);
        }
        out_ << "</g>\n";
    }

    void writeLink(const LinkShape& shape) {
        const WorldMap& map = world_.maps[shape.map];
        switch (shape.kind) {
        case LinkShape::Kind::Dangling:
            writeDangling(shape, map.text(shape.direction));
            return;
        case LinkShape::Kind::Around:
            writeAround(shape, world_.maps[shape.target].name);
            return;
        case LinkShape::Kind::Straight:
        case LinkShape::Kind::Elbow:
        case LinkShape::Kind::Mark:
            break;
        }
        const WorldMap& far = world_.maps[shape.target];
        const bool backAgain = far.neighbour(opposite(shape.direction)) == shape.map;
        const char* style = backAgain ? "both-ways" : (far.links ? "one-way" : "to-unreadable");
        const std::string d = pathThrough(shape.points);
        if (shape.kind == LinkShape::Kind::Elbow) {
            out_ << "<path class=\"casing\" d=\"" << d << "\"/>";
        }
        out_ << "<path class=\"link " << style
             << (shape.kind == LinkShape::Kind::Mark ? " mark" : "") << "\" "
             << owner(shape.map, shape.direction) << " d=\"" << d << '"'
             << (!backAgain && far.links ? " marker-end=\"url(#arrow)\"" : "") << "/>\n";
    }

    void writeDangling(const LinkShape& stub, const std::string& text) {
        const Point centre = stub.label;
        out_ << "<g class=\"dangling\" " << owner(stub.map, stub.direction) << "><title>"
             << xml(text) << "</title><path class=\"stub\" d=\"" << pathThrough(stub.points)
             << "\"/><rect class=\"box\" x=\"" << number(centre.x - LinkShape::danglingWidth / 2)
             << "\" y=\"" << number(centre.y - LinkShape::danglingHeight / 2) << "\" width=\""
             << LinkShape::danglingWidth << "\" height=\"" << LinkShape::danglingHeight
             << "\"/><text class=\"name\" x=\"" << number(centre.x) << "\" y=\""
             << number(centre.y + 4) << "\">" << xml(shortened(text, longestStubName))
             << "</text></g>\n";
    }

    void writeAround(const LinkShape& stub, const std::string& target) {
        out_ << "<g class=\"wrap\" " << owner(stub.map, stub.direction) << "><title>"
             << xml("leads " + std::string(directionName(stub.direction)) + " to " + target +
                    ", around the world")
             << "</title><path class=\"stub\" d=\"" << pathThrough(stub.points)
             << "\" marker-end=\"url(#around)\"/><text class=\"name\" x=\"" << number(stub.label.x)
             << "\" y=\"" << number(stub.label.y) << "\" text-anchor=\"" << stub.anchor << "\">"
             << xml(shortened(target, longestStubName)) << "</text></g>\n";
    }

    void writeBox(std::size_t index) {
        const WorldMap& map = world_.maps[index];
        const Rect& box = at_.box(index);
        const std::string width = number(box.width);
        const std::string height = number(box.height);
        std::string style = "map";
        style += map.links ? "" : " unreadable";
        style += map.cell ? "" : " unplaced";
        out_ << "<g class=\"" << style << "\" data-map=\"" << index << "\"><title>"
             << xml(map.name.empty() ? "(the file .link)" : map.name)
             << "</title><rect class=\"box\" x=\"" << number(box.x) << "\" y=\"" << number(box.y)
             << "\" width=\"" << width << "\" height=\"" << height << "\" rx=\"6\"/>";
        if (!map.links) {
            out_ << "<path class=\"cross\" d=\"M" << number(box.x) << ',' << number(box.y) << " l"
                 << width << ',' << height << " m0," << number(-box.height) << " l"
                 << number(-box.width) << ',' << height << "\"/>";
        }
        // As many characters as a box of a cell holds, in proportion to the box's width.
        const auto longest =
            std::max<std::size_t>(2, std::size_t(double(longestBoxName) * box.width / boxWidth));
        out_ << "<text class=\"name\" x=\"" << number(box.x + box.width / 2) << "\" y=\""
             << number(box.y + box.height / 2 + 5) << "\">" << xml(shortened(map.name, longest))
             << "</text></g>\n";
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
        if (at_.scale() > 0) {
            legendText(margin + 640, y, scaleInWords(at_.scale()).c_str());
        }
        out_ << "</g>\n";
    }

    void writeFindings() {
        double y = at_.findingsTop() + lineHeight;
        out_ << "<g class=\"findings\"><text class=\"summary\" x=\"" << margin << "\" y=\""
             << number(y) << "\">" << xml(summaryLine(world_)) << "</text>\n";
        for (const Finding& finding : world_.findings) {
            y += lineHeight;
            out_ << "<text class=\""
                 << (finding.severity() == Severity::Error ? "error" : "warning") << "\" x=\""
                 << margin << "\" y=\"" << number(y) << "\">" << xml(findingLine(finding))
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
