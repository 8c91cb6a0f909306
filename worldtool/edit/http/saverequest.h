#pragma once

#include "linkstore/linkrecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tovren {

// One map to save, as the editor's page asks: its name as the world shows it, what the page
// believes its link file holds (none: the map is new and its file must not exist), and the
// links to save (none: its link file is to be removed, as when the making of a map is undone).
struct MapSave {
    std::string map;
    std::optional<LinkRecord> expect;
    std::optional<LinkRecord> links;
};

struct SaveRequest {
    std::vector<MapSave> saves;
};

// The body of POST /api/save, {"saves": [{"map", "expect", "links"}]} with each record
// {"up", "down", "left", "right"}, "expect" or "links" null; or why it cannot be taken, as a
// sentence. Refused too: a map named twice, a removal without what the file holds, and a text
// that a link file cannot hold as it is (a carriage return, which would end its line; on
// Windows, a character the ANSI code page has not), so that what is saved is what Tovren's Load
// will read.
std::variant<SaveRequest, std::string> parseSaveRequest(std::string_view body);

} // namespace tovren
