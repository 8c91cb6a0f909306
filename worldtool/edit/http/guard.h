#pragma once

#include "worldtool/edit/http/message.h"

#include <optional>
#include <string>
#include <string_view>

namespace tovren {

// Who the editor's server answers: the person at this machine, through the page the server gave
// them. A request must name the server as its Host (127.0.0.1:PORT or localhost:PORT, so that no
// web page that rebinds its own name to this machine reaches it), and, where it says where it
// comes from (Origin), come from the server's own page; and all but the page itself, which holds
// no secret, must carry the secret token (?token=T, or the header Tovren-Token).
class Guard {
public:
    Guard(unsigned short port, std::string token);

    const std::string& host() const { return host_; } // 127.0.0.1:PORT
    const std::string& token() const { return token_; }
    std::string url() const { return "http://" + host_ + "/?token=" + token_; }

    // Why the request is not answered, as a sentence; none when it is.
    std::optional<std::string> refusal(const Request& request, bool needsToken = true) const;

private:
    std::string token_;
    std::string host_;
    std::string otherHost_;
};

// The value of a parameter of a request's query, if it has one.
std::optional<std::string_view> queryValue(std::string_view target, std::string_view name);

} // namespace tovren
