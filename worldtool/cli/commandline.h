#pragma once

#include <string>
#include <vector>

namespace tovren {

// The program's arguments in UTF-8, the program's name first. On Windows they come from the
// wide command line, since argv holds them in the ANSI code page, losing what it cannot hold.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// On Windows, lets the console show the UTF-8 the program writes; elsewhere it does already.
void useUtf8Console();

} // namespace tovren
