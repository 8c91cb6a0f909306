#pragma once

#include <optional>
#include <string>

namespace tovren {

// A name a new map may take: not empty, no separator, no NUL or control character, not "." or
// "..", short enough for a file's name with ".link", no character of Unicode's category Cf
// (which show nothing or turn the text, so that one name looks like another), no blank at
// either end, and on Windows nothing else that Windows refuses in a file's name (the characters
// <>:"|?*, a dot at the end, and the names of devices such as CON or LPT1). Returns why not, as
// a sentence, or nothing for a plain name.
std::optional<std::string> whyNotAPlainName(const std::string& name);

} // namespace tovren
