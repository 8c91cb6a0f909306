#pragma once

#include "worldtool/edit/http/message.h"

#include <boost/beast/http/parser.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tovren {

// What the server reads of a request at most: a head of 16 KiB, a body of 1 MiB.
using RequestParser = http::request_parser<http::string_body>;
void limitRequest(RequestParser& parser);

// The answer to a request that could not be read: 413 or 431 for one over the limits, 400 for
// one that is not HTTP as this server reads it (a negative length, say, or a length beside a
// transfer encoding); none where the client went, or was too slow, and is only closed.
std::optional<Response> unreadableAnswer(boost::system::error_code error);

// Why a request that was read cannot be taken as it stands (it names its host or its length
// twice, or a length beside a transfer encoding), as a sentence; none where it can.
std::optional<std::string> whyMalformed(const Request& request);

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

// The event that tells the pages of the world's version: event "world", {"version": N}, and
// where the folder is gone, "gone": why.
std::string worldEvent(std::uint64_t version, const std::optional<std::string>& gone);

// A line that tells nothing, sent so that a page that went without closing its connection is
// found out.
inline constexpr std::string_view heartbeatEvent = ":\n\n";

} // namespace tovren
