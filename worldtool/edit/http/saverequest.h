#pragma once

#include "world/mapsave.h"
#include "worldtool/edit/session/liveworld.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tovren {

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

// The body of POST /api/rename, {"map", "to", "expect"}, or with `renaming` false of POST
// /api/remove, {"map", "expect"}: "expect" null asks for the plan only, else it is an object of
// records by map name, what the page expects every file the change touches to hold. Or why it
// cannot be taken, as a sentence; texts are refused as a save refuses them.
std::variant<ChangeRequest, std::string> parseChangeRequest(std::string_view body, bool renaming);

} // namespace tovren
