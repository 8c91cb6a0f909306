#pragma once

#include <string>
#include <string_view>

namespace tovren {

// Tovren's UTF-8 text as the UTF-16 that Windows' wide interfaces take, and back. A malformed
// UTF-8 sequence becomes U+FFFD.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view utf16);

} // namespace tovren
