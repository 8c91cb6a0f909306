#pragma once

#include "linkstore/linkrecord.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace tovren {

// A JSON value as tovren-world writes every one: UTF-8, on one line unless indented. Every text
// is UTF-8 already; a stray byte, which a name read as bytes may hold, is replaced, never fatal.
template <typename Json> std::string jsonText(const Json& value, int indent = -1) {
    return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

// A link record as every JSON of tovren-world holds one: {"up", "down", "left", "right"}, or
// null where there is none.
nlohmann::ordered_json recordJson(const std::optional<LinkRecord>& record);

} // namespace tovren
