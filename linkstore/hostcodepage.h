#pragma once

#include "linkstoreapi.h"

#include <string>

namespace tovren {

// Conversion between Tovren's text (UTF-8) and the bytes a link file holds on this host.
// Reading never fails and never drops a byte: what the code page cannot express is mapped to
// a character of its own. Both are exported for the world library, which shows file names by
// the same rule and takes new names only where a link file can hold them as they are.
TOVREN_LINKSTORE_API std::string toHostCodePage(const std::string& text);
TOVREN_LINKSTORE_API std::string fromHostCodePage(std::string bytes);

} // namespace tovren
