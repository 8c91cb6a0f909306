#include "worldtool/cli/gitsetup.h"

#include "worldtool/cli/childprogram.h"
#include "worldtool/cli/commands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace tovren {

namespace {

constexpr std::string_view attributesLine = "*.link -text merge=tovren-link";
constexpr const char* driverSection = "merge.tovren-link";
constexpr const char* driverName = "Tovren's link files, merged field by field";

// Runs git, telling plainly when it cannot be run at all.
ProgramRun git(const std::string& top, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"git", "-C", top});
    auto run = runProgram(arguments);
    if (const std::string* failure = std::get_if<std::string>(&run)) {
        throw std::runtime_error(*failure + "; git-setup needs git on the PATH");
    }
    return std::get<ProgramRun>(std::move(run));
}

// The driver as git's shell runs it (Git for Windows' sh too): this program's path between
// single quotes, with forward slashes, then the three files git names.
std::string driverCommand() {
    std::string path = thisProgramPath();
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '\\', '/');
#endif
    std::string quoted = "'";
    for (const char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "' merge %O %A %B";
}

std::filesystem::path utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(utf8Path(path), std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(utf8Path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
    out.flush();
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

bool isOurLine(std::string_view line) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())) != 0) {
        line.remove_suffix(1);
    }
    return line == attributesLine;
}

// The lines of a text with their ends, the last one perhaps without.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, next - start));
        start = next;
    }
    return lines;
}

void addAttributes(const std::string& file) {
    const std::optional<std::string> text = readFile(file);
    const std::vector<std::string> lines = linesOf(text.value_or(""));
    if (std::any_of(lines.begin(), lines.end(), isOurLine)) {
        std::cout << file << " has the line " << attributesLine << " already\n";
        return;
    }
    const std::string lineEnd = text && text->find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string changed = text.value_or("");
    if (!changed.empty() && changed.back() != '\n') {
        changed += lineEnd;
    }
    changed += std::string(attributesLine) + lineEnd;
    writeFile(file, changed);
    std::cout << (text ? "Added the line " + std::string(attributesLine) + " to " + file
                       : "Made " + file + " with the line " + std::string(attributesLine))
              << ": git keeps the bytes of link files as they are and merges them with the "
                 "driver tovren-link. Commit it, so that the whole team has it.\n";
}

void removeAttributes(const std::string& file) {
    const std::optional<std::string> text = readFile(file);
    std::vector<std::string> lines = linesOf(text.value_or(""));
    const auto kept = std::remove_if(lines.begin(), lines.end(), isOurLine);
    if (kept == lines.end()) {
        std::cout << (text ? file + " has no line " : "There is no " + file + " with the line ")
                  << attributesLine << '\n';
        return;
    }
    lines.erase(kept, lines.end());
    std::string changed;
    for (const std::string& line : lines) {
        changed += line;
    }
    if (changed.empty()) {
        std::filesystem::remove(utf8Path(file));
        std::cout << "Removed " << file << ", which held only the line " << attributesLine << '\n';
        return;
    }
    writeFile(file, changed);
    std::cout << "Took the line " << attributesLine << " out of " << file << '\n';
}

void addDriver(const std::string& top) {
    const std::string command = driverCommand();
    const ProgramRun now = git(top, {"config", "--local", "--get", "merge.tovren-link.driver"});
    if (now.status == 0 && now.output == command + "\n") {
        std::cout << "The merge driver tovren-link is in the repository's config already\n";
        return;
    }
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"name", driverName}, {"driver", command}}) {
        if (git(top, {"config", "--local", std::string(driverSection) + "." + key, value}).status !=
            0) {
            throw std::runtime_error("git could not set " + std::string(driverSection) + "." + key +
                                     " in the repository's config");
        }
    }
    std::cout << "Set the merge driver tovren-link in the repository's config: " << command
              << " (each clone needs it: run git-setup in each)\n";
}

void removeDriver(const std::string& top) {
    if (git(top, {"config", "--local", "--get-regexp", "^merge\\.tovren-link\\."}).status != 0) {
        std::cout << "The repository's config has no merge driver tovren-link\n";
        return;
    }
    if (git(top, {"config", "--local", "--remove-section", driverSection}).status != 0) {
        throw std::runtime_error("git could not take the merge driver tovren-link out of the "
                                 "repository's config");
    }
    std::cout << "Took the merge driver tovren-link out of the repository's config\n";
}

} // namespace

int setUpGit(const GitSetupOptions& options) {
    const std::string folder = options.repository.empty() ? "." : options.repository;
    const ProgramRun top = git(folder, {"rev-parse", "--show-toplevel"});
    std::string topFolder = top.output;
    while (!topFolder.empty() && (topFolder.back() == '\n' || topFolder.back() == '\r')) {
        topFolder.pop_back();
    }
    if (top.status != 0 || topFolder.empty()) {
        std::cerr << "tovren-world: " << folder
                  << " is not in the working tree of a git repository\n";
        return cannotDoIt;
    }
    const std::string attributes = topFolder + "/.gitattributes";
    if (options.remove) {
        removeAttributes(attributes);
        removeDriver(topFolder);
    } else {
        addAttributes(attributes);
        addDriver(topFolder);
    }
    return worldIsSound;
}

} // namespace tovren
