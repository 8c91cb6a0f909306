#pragma once

// HTTP messages as the editor's server reads and answers them, with Boost.Beast's types: the
// parts of the server that know nothing of sockets speak in these. Boost 1.74's Asio, which
// Beast brings in, uses std::exchange without including <utility>: it must come first.
// clang-format off
#include <utility>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
// clang-format on

#include <string_view>

namespace tovren {

namespace http = boost::beast::http;
using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;

// Beast of Boost 1.74 has views of text of its own.
inline std::string_view plain(boost::beast::string_view text) {
    return {text.data(), text.size()};
}
inline boost::beast::string_view beastView(std::string_view text) {
    return {text.data(), text.size()};
}

} // namespace tovren
