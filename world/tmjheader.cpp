// The header of a Tiled map in JSON (.tmj), read with nlohmann/json as a stream of events: the
// numbers of the map and of its layers' chunks are kept, and the tiles, most of the file, are
// passed over without being kept. nlohmann/json stays inside this file: the world library's
// headers do not need it.
#include "world/hostfile.h"
#include "world/tiledmap.h"

#include <climits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace tovren {

namespace {

using json = nlohmann::json;

// Where the reading is: what each open object or array is to the map.
enum class Part { Map, Layers, Layer, Chunks, Chunk, Other };

class HeaderReader : public nlohmann::json_sax<json> {
public:
    TiledHeader header;

    bool null() override { return value(TiledNumber{true, std::nullopt, "null"}); }
    bool boolean(bool on) override {
        if (in(Part::Map) && key_ == "infinite") {
            header.infinite = on;
        }
        return value(TiledNumber{true, std::nullopt, on ? "true" : "false"});
    }
    bool number_integer(number_integer_t number) override {
        if (in(Part::Map) && key_ == "infinite") {
            header.infinite = number != 0;
        }
        return value(TiledNumber{true, number, std::to_string(number)});
    }
    bool number_unsigned(number_unsigned_t number) override {
        const bool fits = number <= static_cast<number_unsigned_t>(LLONG_MAX);
        return value(TiledNumber{true, fits ? std::optional<long long>(number) : std::nullopt,
                                 std::to_string(number)});
    }
    bool number_float(number_float_t, const string_t& text) override {
        return value(TiledNumber{true, std::nullopt, text});
    }
    bool string(string_t& text) override {
        if (in(Part::Map) && key_ == "orientation") {
            header.orientation = text;
        }
        if (in(Part::Map) && key_ == "type" && text != "map") {
            throw TiledFailure("it is not a Tiled map: its type is " + text);
        }
        return value(TiledNumber{true, std::nullopt, '"' + text + '"'});
    }
    bool binary(binary_t&) override { return value(TiledNumber{true, std::nullopt, "binary"}); }

    bool start_object(std::size_t) override {
        const Part part = parts_.empty()     ? Part::Map
                          : in(Part::Layers) ? Part::Layer
                          : in(Part::Chunks) ? Part::Chunk
                                             : Part::Other;
        if (part == Part::Chunk) {
            chunk_.assign(4, TiledNumber{});
        }
        parts_.push_back(part);
        return true;
    }
    bool end_object() override {
        if (in(Part::Chunk)) {
            header.addChunk(chunkNumber(0, "x"), chunkNumber(1, "y"), chunkNumber(2, "width"),
                            chunkNumber(3, "height"));
        }
        parts_.pop_back();
        return true;
    }
    bool start_array(std::size_t) override {
        const bool layers = (in(Part::Map) || in(Part::Layer)) && key_ == "layers";
        parts_.push_back(layers                                ? Part::Layers
                         : in(Part::Layer) && key_ == "chunks" ? Part::Chunks
                                                               : Part::Other);
        return true;
    }
    bool end_array() override {
        parts_.pop_back();
        return true;
    }
    bool key(string_t& name) override {
        key_ = name;
        return true;
    }
    bool parse_error(std::size_t place, const std::string&,
                     const nlohmann::detail::exception& error) override {
        std::string what = error.what();
        const std::size_t colon = what.rfind(": ");
        throw TiledFailure(
            "it is not JSON: " + (colon == std::string::npos ? what : what.substr(colon + 2)) +
            " (byte " + std::to_string(place) + ")");
    }

private:
    std::vector<Part> parts_;
    std::string key_;
    std::vector<TiledNumber> chunk_;

    bool in(Part part) const { return !parts_.empty() && parts_.back() == part; }

    bool value(TiledNumber number) {
        if (parts_.empty()) {
            throw TiledFailure("it is not a Tiled map: it is not a JSON object");
        }
        if (in(Part::Map)) {
            for (auto [name, field] :
                 {std::pair{"width", &header.width}, std::pair{"height", &header.height},
                  std::pair{"tilewidth", &header.tileWidth},
                  std::pair{"tileheight", &header.tileHeight}}) {
                if (key_ == name) {
                    *field = std::move(number);
                    break;
                }
            }
        } else if (in(Part::Chunk)) {
            constexpr const char* names[] = {"x", "y", "width", "height"};
            for (std::size_t at = 0; at < 4; ++at) {
                if (key_ == names[at]) {
                    chunk_[at] = std::move(number);
                }
            }
        }
        return true;
    }

    long long chunkNumber(std::size_t at, const char* name) const {
        if (!chunk_[at].value) {
            throw TiledFailure(std::string("it holds a chunk whose ") + name +
                               (chunk_[at].given ? " is not a whole number: " + chunk_[at].text
                                                 : std::string(" is missing")));
        }
        return *chunk_[at].value;
    }
};

} // namespace

TiledHeader readTmjHeader(FileReader& file) {
    std::string text;
    readToEnd(file, text);
    HeaderReader reader;
    json::sax_parse(text, &reader);
    return reader.header;
}

} // namespace tovren
