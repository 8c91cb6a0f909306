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

std::string eventStreamHead() {
    http::response<http::empty_body> head{http::status::ok, 11};
    markAsOurs(head, "text/event-stream; charset=utf-8");
    head.set(http::field::connection, "keep-alive");
    std::ostringstream text;
    text << head.base();
    return std::move(text).str();
}

std::string worldEvent(std::uint64_t version) {
    return "event: world\ndata: {\"version\": " + std::to_string(version) + "}\n\n";
}

} // namespace tovren
