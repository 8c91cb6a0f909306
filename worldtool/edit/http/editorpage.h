#pragma once

#include <string>

namespace tovren {

// The editor's page as the server sends it: one document with its stylesheets and scripts in
// it (compiled into the program, nothing fetched from elsewhere), the token it asks the server
// with, and the nonce that lets its own scripts run.
std::string editorPage(const std::string& token, const std::string& nonce);

// The content security policy it is sent with: its own scripts and the server, nothing else.
std::string editorPagePolicy(const std::string& nonce);

} // namespace tovren
