#include "worldtool/edit/http/guard.h"

#include "worldtool/edit/http/token.h"

namespace tovren {

Guard::Guard(unsigned short port, std::string token)
    : token_(std::move(token)), host_("127.0.0.1:" + std::to_string(port)),
      otherHost_("localhost:" + std::to_string(port)) {}

std::optional<std::string> Guard::refusal(const Request& request, bool needsToken) const {
    const std::string_view host = plain(request[http::field::host]);
    if (host != host_ && host != otherHost_) {
        return "This server answers only to the address " + host_ + ".";
    }
    const std::optional<std::string_view> inQuery = queryValue(plain(request.target()), "token");
    const std::string_view token = inQuery ? *inQuery : plain(request["Tovren-Token"]);
    if (needsToken && !sameToken(token, token_)) {
        return "Every request needs the token of the address that tovren-world printed.";
    }
    const std::string_view origin = plain(request[http::field::origin]);
    if (!origin.empty() && origin != "http://" + host_ && origin != "http://" + otherHost_) {
        return "Only the editor's own page may ask this.";
    }
    return std::nullopt;
}

std::optional<std::string_view> queryValue(std::string_view target, std::string_view name) {
    const std::size_t mark = target.find('?');
    if (mark == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view query = target.substr(mark + 1);
    while (!query.empty()) {
        const std::size_t end = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, end);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name) {
            return equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        }
        query.remove_prefix(std::min(end + 1, query.size()));
    }
    return std::nullopt;
}

} // namespace tovren
