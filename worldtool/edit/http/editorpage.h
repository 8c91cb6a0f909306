#pragma once

#include <string>

namespace tovren {

// The editor's page as the server sends it: one document with its stylesheets and scripts in
// it (compiled into the program, nothing fetched from elsewhere), and the nonce that lets its
// own scripts and styles, and no others, be used. It holds no secret: it takes the token from
// the address it is opened at.
std::string editorPage(const std::string& nonce);

// The content security policy it is sent with: its own scripts and styles, and the server,
// nothing else.
std::string editorPagePolicy(const std::string& nonce);

} // namespace tovren
