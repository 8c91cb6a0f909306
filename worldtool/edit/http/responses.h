#pragma once

#include "worldtool/edit/http/message.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tovren {

// An answer of the editor's server, as every one of them is made: never kept by a cache, never
// sniffed for another type, and no address of the page, which holds the token, handed on.
Response answer(const Request& request, http::status status, std::string_view type,
                std::string body);

// An answer in JSON.
Response jsonAnswer(const Request& request, http::status status, std::string body);

// A refusal, which every one is: {"error": "a sentence"}.
Response refusal(const Request& request, http::status status, const std::string& sentence);

// The head of a stream of server-sent events, made as every other answer's head is: it lasts
// until the connection ends, so it gives no length.
std::string eventStreamHead();

// The event that tells the pages of the world's version: event "world", {"version": N}.
std::string worldEvent(std::uint64_t version);

// A line that tells nothing, sent so that a page that went without closing its connection is
// found out.
inline constexpr std::string_view heartbeatEvent = ":\n\n";

} // namespace tovren
