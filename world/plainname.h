#pragma once

#include <optional>
#include <string>

namespace tovren {

// A name a new map may take: not empty, no separator, no NUL or control character, not "." or
// "..", and on Windows nothing else that Windows refuses in a file's name (the characters
// <>:"|?*, a blank or dot at the end, and the names of devices such as CON or LPT1). Returns
// why not, as a sentence, or nothing for a plain name.
std::optional<std::string> whyNotAPlainName(const std::string& name);

} // namespace tovren
