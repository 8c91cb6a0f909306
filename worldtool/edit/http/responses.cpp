#include "worldtool/edit/http/responses.h"

#include "worldtool/report/jsontext.h"

#include <boost/beast/http/write.hpp>
#include <sstream>

namespace tovren {

namespace {

void markAsOurs(http::response_header<>& head, std::string_view type) {
    head.set(http::field::content_type, beastView(type));
    head.set(http::field::cache_control, "no-store");
    head.set("X-Content-Type-Options", "nosniff");
    head.set("Referrer-Policy", "no-referrer");
}

} // namespace

Response answer(const Request& request, http::status status, std::string_view type,
                std::string body) {
    Response response{status, request.version()};
    markAsOurs(response, type);
    response.keep_alive(request.keep_alive());
    response.body() = std::move(body);
    response.prepare_payload();
    return response;
}

Response jsonAnswer(const Request& request, http::status status, std::string body) {
    return answer(request, status, "application/json; charset=utf-8", std::move(body));
}

Response refusal(const Request& request, http::status status, const std::string& sentence) {
    return jsonAnswer(request, status, jsonText(nlohmann::json{{"error", sentence}}));
}

void limitRequest(RequestParser& parser) {
    parser.body_limit(1024 * 1024);
    parser.header_limit(16 * 1024);
}

std::optional<Response> unreadableAnswer(boost::system::error_code error) {
    if (error.category() != http::make_error_code(http::error::bad_method).category() ||
        error == http::error::end_of_stream || error == http::error::partial_message) {
        return std::nullopt; // gone, too slow, or cut off
    }
    Request request; // what came of it is not whole: answered as HTTP/1.1
    request.version(11);
    if (error == http::error::body_limit) {
        return refusal(request, http::status::payload_too_large, "A request may be 1 MiB at most.");
    }
    if (error == http::error::header_limit) {
        return refusal(request, http::status::request_header_fields_too_large,
                       "A request's header may be 16 KiB at most.");
    }
    return refusal(request, http::status::bad_request,
                   "The request is not HTTP as this server reads it: " + error.message() + ".");
}

std::optional<std::string> whyMalformed(const Request& request) {
    if (request.count(http::field::host) > 1) {
        return std::string("A request names its host once.");
    }
    if (request.count(http::field::content_length) > 1) {
        return std::string("A request gives its length once.");
    }
    if (request.count(http::field::content_length) > 0 &&
        request.count(http::field::transfer_encoding) > 0) {
        return std::string("A request gives a length or a transfer encoding, not both.");
    }
    return std::nullopt;
}

std::string eventStreamHead() {
    http::response<http::empty_body> head{http::status::ok, 11};
    markAsOurs(head, "text/event-stream; charset=utf-8");
    head.set(http::field::connection, "keep-alive");
    std::ostringstream text;
    text << head.base();
    return std::move(text).str();
}

std::string worldEvent(std::uint64_t version, const std::optional<std::string>& gone) {
    return "event: world\ndata: {\"version\": " + std::to_string(version) +
           (gone ? ", \"gone\": " + jsonText(nlohmann::json(*gone)) : std::string()) + "}\n\n";
}

} // namespace tovren
