// tovren-world: checks, draws, exports and mends the world that a folder's link files make.
// Usage in --help.
#include "worldtool/cli/commandline.h"
#include "worldtool/cli/commands.h"
#include "worldtool/cli/editcommand.h"
#include "worldtool/cli/gitsetup.h"
#include "worldtool/cli/mergecommand.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <iostream>

namespace {

using namespace tovren;

constexpr const char* folderHelp =
    "The folder of link files, not its subfolders (default: the folder of this program)";
constexpr const char* gridHelp =
    "Lays the world out as a grid of equal screens, one step per link, and tells the maps "
    "that overlap there";

// Every command's options, and the command the command line chose, run once it is read.
struct Commands {
    CheckOptions check;
    DrawOptions draw;
    DrawOptions show;
    ExportOptions exporting;
    EditOptions edit;
    bool noBrowser = false;
    MirrorOptions mirror;
    MergeOptions merge;
    GitSetupOptions gitSetup;
    std::function<int()> chosen;

    // A subcommand that runs `run` when the command line chooses it.
    CLI::App* add(CLI::App& app, const char* name, const char* help, std::function<int()> run) {
        CLI::App* command = app.add_subcommand(name, help);
        command->callback([this, run = std::move(run)] { chosen = run; });
        return command;
    }
};

void addCheckAndDraw(CLI::App& app, Commands& commands) {
    CheckOptions& check = commands.check;
    CLI::App* checkCommand = commands.add(
        app, "check",
        "Tells every one-way, dangling and unreadable link, every merge left unresolved and every "
        "loop that wraps around",
        [&] { return checkWorld(check); });
    CLI::Option* json =
        checkCommand->add_flag("--json", check.json, "Writes one JSON document instead of lines");
    checkCommand
        ->add_option("--format", check.format,
                     "text (lines, the default), json (as --json), github (GitHub Actions' "
                     "workflow commands: each finding on its line) or sarif (SARIF 2.1.0, for "
                     "code scanning)")
        ->check(CLI::IsMember({"text", "json", "github", "sarif"}))
        ->excludes(json);
    CLI::Option* baseline = checkCommand->add_option(
        "--baseline", check.baseline,
        "Reports, and fails on, only the findings this baseline does not know, and tells how "
        "many of its findings are gone");
    checkCommand
        ->add_option("--write-baseline", check.writeBaseline,
                     "Writes the world's findings into this file as the baseline, and reports "
                     "nothing else")
        ->excludes(baseline);
    checkCommand->add_flag("--strict", check.strict, "Warnings fail the check too");
    checkCommand->add_flag("--grid", check.grid, gridHelp);
    checkCommand->add_option("FOLDER", check.folder, folderHelp);

    DrawOptions& draw = commands.draw;
    CLI::App* drawCommand = commands.add(app, "draw", "Draws the world as an SVG picture",
                                         [&] { return drawWorld(draw); });
    drawCommand->add_option("-o,--output", draw.picture,
                            "The picture's file (default: world.svg in the folder)");
    drawCommand->add_flag("--grid", draw.grid, gridHelp);
    drawCommand->add_option("FOLDER", draw.folder, folderHelp);

    DrawOptions& show = commands.show;
    CLI::App* showCommand = commands.add(
        app, "show", "Draws the world into world.svg in the folder, opens it and prints the check",
        [&] { return showWorld(show); });
    showCommand->add_flag("--grid", show.grid, gridHelp);
    showCommand->add_option("FOLDER", show.folder, folderHelp);
}

void addExport(CLI::App& app, Commands& commands) {
    ExportOptions& exporting = commands.exporting;
    CLI::App* command = commands.add(app, "export", "Writes the world as a Tiled world file",
                                     [&] { return exportToTiled(exporting); });
    command->add_option("--tiled", exporting.worldFile, "The world file to write")->required();
    command
        ->add_option("--map-size", exporting.mapSize,
                     "The size of every map in pixels, WIDTHxHEIGHT")
        ->required();
    command->add_option("--map-suffix", exporting.mapSuffix,
                        "Added to each map's name to name its Tiled map (default .tmx)");
    command->add_flag("--grid", exporting.grid, gridHelp);
    command->add_flag("--skip-unplaced", exporting.skipUnplaced,
                      "With --grid, leaves out the maps without a cell of their own instead of "
                      "refusing");
    command->add_option("FOLDER", exporting.folder, folderHelp);
}

void addEditAndMirror(CLI::App& app, Commands& commands) {
    EditOptions& edit = commands.edit;
    CLI::App* editCommand =
        commands.add(app, "edit",
                     "Opens the world in the editor in the browser, served on 127.0.0.1 to this "
                     "machine only, and keeps it up to date as the folder changes",
                     [&] {
                         edit.openBrowser = !commands.noBrowser;
                         return editWorld(edit);
                     });
    editCommand->add_option("--port", edit.port,
                            "The port to listen on (default: one the system picks)");
    editCommand->add_flag("--no-browser", commands.noBrowser,
                          "Only prints the address; opens no browser");
    editCommand->add_flag("--grid", edit.grid, gridHelp);
    editCommand->add_option("FOLDER", edit.folder, folderHelp);

    MirrorOptions& mirror = commands.mirror;
    CLI::App* mirrorCommand = commands.add(
        app, "mirror",
        "Lists, or with --write makes, the links back where a one-way link's far side leads "
        "nowhere",
        [&] { return mirrorOneWayLinks(mirror); });
    mirrorCommand->add_flag("--write", mirror.write, "Saves the mends");
    mirrorCommand->add_option("FOLDER", mirror.folder, folderHelp);
}

void addGit(CLI::App& app, Commands& commands) {
    MergeOptions& merge = commands.merge;
    CLI::App* mergeCommand = commands.add(
        app, "merge",
        "git's merge driver for link files: merges BASE, OURS and THEIRS field by field into "
        "OURS; a field both sides changed differently is marked between conflict markers, and "
        "the exit status is 1",
        [&] { return mergeLinkFiles(merge); });
    mergeCommand->add_option("BASE", merge.base, "The common ancestor's link file (git's %O)")
        ->required();
    mergeCommand->add_option("OURS", merge.ours, "Our link file, and the result (git's %A)")
        ->required();
    mergeCommand->add_option("THEIRS", merge.theirs, "Their link file (git's %B)")->required();

    GitSetupOptions& gitSetup = commands.gitSetup;
    CLI::App* gitSetupCommand = commands.add(
        app, "git-setup",
        "Lets git keep the bytes of link files and merge them field by field: adds *.link -text "
        "merge=tovren-link to the repository's .gitattributes, and this program as that merge "
        "driver to its config",
        [&] { return setUpGit(gitSetup); });
    gitSetupCommand->add_flag("--remove", gitSetup.remove, "Takes both away again");
    gitSetupCommand->add_option("REPO", gitSetup.repository,
                                "A folder of the repository (default: the current folder)");
}

int run(const std::vector<std::string>& arguments) {
    CLI::App app("Checks, draws, exports and mends the world of maps that a folder's link files "
                 "make: which map lies past each edge of which.",
                 "tovren-world");
    app.set_version_flag("--version", std::string("tovren-world ") + TOVREN_VERSION_TEXT);
    app.require_subcommand(1);
    Commands commands;
    addCheckAndDraw(app, commands);
    addExport(app, commands);
    addEditAndMirror(app, commands);
    addGit(app, commands);
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? worldIsSound : cannotDoIt;
    }
    try {
        const int status = commands.chosen();
        std::cout.flush();
        return status;
    } catch (const std::exception& failure) { // FolderFailure, a port taken, or no memory
        std::cout.flush();
        std::cerr << "tovren-world: " << failure.what() << '\n';
    }
    return cannotDoIt;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false); // a large world's report is long
    tovren::useUtf8Console();
    std::vector<std::string> arguments = tovren::commandLineArguments(argc, argv);
#ifdef _WIN32
    // Started with nothing to do, as by a double-click in Explorer: the editor on the world it
    // lies in.
    if (arguments.size() == 1) {
        arguments.push_back("edit");
    }
#endif
    return run(arguments);
}
