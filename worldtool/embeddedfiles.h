#pragma once

#include <string_view>

namespace tovren {

// A file compiled into the program (the picture's stylesheet, the editor's page and what it
// loads) by its name; empty when there is none of that name. Nothing lies beside the program.
std::string_view embeddedFile(std::string_view name);

} // namespace tovren
