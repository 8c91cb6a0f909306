#pragma once

#include "linkstoreapi.h"

#include <string>
#include <string_view>

namespace tovren {

// Tovren's UTF-8 text as the UTF-16 that Windows' wide interfaces take, and back. A malformed
// UTF-8 sequence becomes U+FFFD.
// Exported for the world library, which names files the same way.
TOVREN_LINKSTORE_API std::wstring toWide(std::string_view utf8);
TOVREN_LINKSTORE_API std::string fromWide(std::wstring_view utf16);

} // namespace tovren
