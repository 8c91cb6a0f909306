// The header of a Tiled map in XML (.tmx), read with Boost's property tree. A finite map's size
// is in the attributes of its root element, <map>, which comes before its tilesets and layers:
// the file is read only until that element's start tag ends, and the parser is given that much
// with the element closed. An infinite map's chunks are in its layers, and it is read whole.
#include "world/hostfile.h"
#include "world/tiledmap.h"

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>
#include <charconv>
#include <optional>
#include <sstream>
#include <string_view>

namespace tovren {

namespace {

namespace pt = boost::property_tree;

constexpr std::size_t firstRead = 4096;
// A map's start tag of more than this is no Tiled map's: the reading stops there.
constexpr std::size_t longestStart = 1 << 20;

// Where the root element's start tag ends in `text`, past what may come before it (a byte order
// mark, the XML declaration, processing instructions, comments, a document type); none where the
// text ends first. Only enough of XML's rules to find that end: the parser reads the rest.
std::optional<std::size_t> endOfRootStart(std::string_view text) {
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    for (;;) {
        at = text.find('<', at);
        if (at == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view rest = text.substr(at);
        const auto skipPast = [&](std::string_view end) {
            const std::size_t found = text.find(end, at);
            return found == std::string_view::npos ? found : found + end.size();
        };
        std::size_t next = std::string_view::npos;
        if (rest.starts_with("<?")) {
            next = skipPast("?>");
        } else if (rest.starts_with("<!--")) {
            next = skipPast("-->");
        } else if (rest.starts_with("<!")) {
            next = skipPast(rest.find('[') < rest.find('>') ? "]>" : ">");
        } else {
            char quote = 0;
            for (std::size_t end = at + 1; end < text.size(); ++end) {
                const char c = text[end];
                if (quote != 0) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    return end + 1;
                }
            }
            return std::nullopt;
        }
        if (next == std::string_view::npos) {
            return std::nullopt;
        }
        at = next;
    }
}

pt::ptree parsed(const std::string& text) {
    std::istringstream in(text);
    pt::ptree tree;
    try {
        pt::read_xml(in, tree);
    } catch (const pt::xml_parser_error& error) {
        throw TiledFailure("it is not XML: " + error.message() + " (line " +
                           std::to_string(error.line()) + ")");
    }
    return tree;
}

// The root's start tag, closed as an element of its own.
std::string closedRoot(const std::string& text, std::size_t end) {
    std::string root = text.substr(0, end);
    if (end >= 2 && text[end - 2] == '/') {
        return root;
    }
    const std::size_t open = text.rfind('<', end);
    std::size_t nameEnd = open + 1;
    while (nameEnd < end && text[nameEnd] != '>' && text[nameEnd] != '/' &&
           static_cast<unsigned char>(text[nameEnd]) > ' ') {
        ++nameEnd;
    }
    return root + "</" + text.substr(open + 1, nameEnd - open - 1) + ">";
}

TiledNumber numberOf(const pt::ptree& element, const char* name) {
    TiledNumber number;
    const boost::optional<std::string> text =
        element.get_optional<std::string>(std::string("<xmlattr>.") + name);
    if (!text) {
        return number;
    }
    number.given = true;
    number.text = *text;
    long long value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error == std::errc() && end == text->data() + text->size()) {
        number.value = value;
    }
    return number;
}

long long chunkNumber(const pt::ptree& chunk, const char* name) {
    const TiledNumber number = numberOf(chunk, name);
    if (!number.value) {
        throw TiledFailure(std::string("it holds a chunk whose ") + name +
                           " is not a whole number: " + number.text);
    }
    return *number.value;
}

// The chunks of every tile layer, in groups of layers too.
void addChunks(const pt::ptree& layers, TiledHeader& header) {
    for (const auto& [name, layer] : layers) {
        if (name == "group") {
            addChunks(layer, header);
        } else if (name == "layer") {
            for (const auto& [part, data] : layer) {
                if (part != "data") {
                    continue;
                }
                for (const auto& [kind, chunk] : data) {
                    if (kind == "chunk") {
                        header.addChunk(chunkNumber(chunk, "x"), chunkNumber(chunk, "y"),
                                        chunkNumber(chunk, "width"), chunkNumber(chunk, "height"));
                    }
                }
            }
        }
    }
}

} // namespace

TiledHeader readTmxHeader(FileReader& file) {
    std::string text;
    std::optional<std::size_t> end;
    for (std::size_t wanted = firstRead; !end; wanted *= 2) {
        const std::size_t had = text.size();
        text.resize(wanted);
        const std::size_t count = file.read(text.data() + had, wanted - had);
        text.resize(had + count);
        end = endOfRootStart(text);
        if (count == 0 || (!end && text.size() > longestStart)) {
            break;
        }
    }
    if (!end) {
        // Not a start tag that ends: the parser tells what is wrong with what there is.
        parsed(text);
        throw TiledFailure("it is not a Tiled map: it holds no element");
    }
    const pt::ptree root = parsed(closedRoot(text, *end));
    const auto map = root.find("map");
    if (map == root.not_found()) {
        throw TiledFailure("it is not a Tiled map: its root element is <" +
                           (root.empty() ? std::string() : root.front().first) + ">");
    }
    TiledHeader header;
    header.orientation = map->second.get<std::string>("<xmlattr>.orientation", "orthogonal");
    header.width = numberOf(map->second, "width");
    header.height = numberOf(map->second, "height");
    header.tileWidth = numberOf(map->second, "tilewidth");
    header.tileHeight = numberOf(map->second, "tileheight");
    header.infinite = map->second.get<std::string>("<xmlattr>.infinite", "0") == "1";
    if (!header.infinite) {
        return header;
    }
    // The rest of the file, and all of it parsed.
    readToEnd(file, text);
    const pt::ptree whole = parsed(text);
    addChunks(whole.get_child("map"), header);
    return header;
}

} // namespace tovren
