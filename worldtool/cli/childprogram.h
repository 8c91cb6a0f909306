#pragma once

#include <string>
#include <variant>
#include <vector>

namespace tovren {

// A program run to its end: its exit status and what it wrote to its standard output. What it
// writes to its standard error goes to this program's, for the user to read.
struct ProgramRun {
    int status = 0;
    std::string output;
};

// Runs a program, found on the PATH as the shell would find it, with its arguments (its name
// first, all in UTF-8), and waits for it to end. Returns why it could not be started instead.
std::variant<ProgramRun, std::string> runProgram(const std::vector<std::string>& arguments);

// The path of this program's own executable file, in UTF-8.
std::string thisProgramPath();

} // namespace tovren
