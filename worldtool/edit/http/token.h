#pragma once

#include <string>
#include <string_view>

namespace tovren {

// A fresh secret of 128 bits from the operating system's random source, as 32 hexadecimal
// digits: what a request to the editor's server must carry to be heard.
std::string freshToken();

// Whether a token given equals the secret, in a time that does not tell how much of it did.
bool sameToken(std::string_view given, std::string_view secret);

} // namespace tovren
