// tovren-world: checks the world that a folder's link files make. Usage in --help.
#include "linkstore/linkfile.h"
#include "world/world.h"
#include "worldtool/commandline.h"
#include "worldtool/report.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace {

// Exit statuses: the world holds no error (or, strictly, no finding); it holds some; the
// command line was wrong or the folder could not be read.
constexpr int worldIsSound = 0;
constexpr int worldHasFaults = 1;
constexpr int cannotCheck = 2;

struct CheckOptions {
    bool json = false;
    bool strict = false;
    std::string folder;
};

int check(const CheckOptions& options) {
    const tovren::World world =
        tovren::readWorld(options.folder.empty() ? tovren::programDirectory() : options.folder);
    if (options.json) {
        tovren::writeJsonReport(world, std::cout);
    } else {
        tovren::writeTextReport(world, std::cout);
    }
    std::cout.flush();
    const bool faulty = world.count(tovren::Severity::Error) > 0 ||
                        (options.strict && world.count(tovren::Severity::Warning) > 0);
    return faulty ? worldHasFaults : worldIsSound;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false); // a large world's report is long
    tovren::useUtf8Console();
    const std::vector<std::string> arguments = tovren::commandLineArguments(argc, argv);
    CLI::App app("Checks the world of maps that a folder's link files make: which map lies past "
                 "each edge of which.",
                 "tovren-world");
    app.set_version_flag("--version", std::string("tovren-world ") + TOVREN_VERSION_TEXT);
    app.require_subcommand(1);
    CheckOptions options;
    CLI::App* checkCommand = app.add_subcommand(
        "check", "Tells every one-way, dangling and unreadable link and every overlap");
    checkCommand->add_flag("--json", options.json, "Writes one JSON document instead of lines");
    checkCommand->add_flag("--strict", options.strict, "Warnings fail the check too");
    checkCommand->add_option("FOLDER", options.folder,
                             "The folder of link files (default: the folder of this program)");
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : cannotCheck;
    }
    try {
        return check(options);
    } catch (const tovren::FolderFailure& failure) {
        std::cerr << "tovren-world: " << failure.what() << '\n';
    } catch (const std::exception& failure) {
        std::cerr << "tovren-world: " << failure.what() << '\n';
    }
    return cannotCheck;
}
