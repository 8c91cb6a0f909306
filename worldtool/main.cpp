// tovren-world: checks, draws, exports and mends the world that a folder's link files make.
// Usage in --help.
#include "world/world.h"
#include "worldtool/cli/commandline.h"
#include "worldtool/cli/commands.h"
#include "worldtool/cli/editcommand.h"
#include "worldtool/cli/gitsetup.h"
#include "worldtool/cli/mergecommand.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <iostream>

namespace {

constexpr const char* folderHelp =
    "The folder of link files, not its subfolders (default: the folder of this program)";
constexpr const char* gridHelp =
    "Lays the world out as a grid of equal screens, one step per link, and tells the maps "
    "that overlap there";

int run(const std::vector<std::string>& arguments) {
    using namespace tovren;
    CLI::App app("Checks, draws, exports and mends the world of maps that a folder's link files "
                 "make: which map lies past each edge of which.",
                 "tovren-world");
    app.set_version_flag("--version", std::string("tovren-world ") + TOVREN_VERSION_TEXT);
    app.require_subcommand(1);
    std::function<int()> command;

    CheckOptions check;
    CLI::App* checkCommand = app.add_subcommand(
        "check",
        "Tells every one-way, dangling and unreadable link, every merge left unresolved and every "
        "loop that wraps around");
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
    checkCommand->callback([&] {
        command = [&] {
            return checkWorld(check);
        };
    });

    DrawOptions draw;
    CLI::App* drawCommand = app.add_subcommand("draw", "Draws the world as an SVG picture");
    drawCommand->add_option("-o,--output", draw.picture,
                            "The picture's file (default: world.svg in the folder)");
    drawCommand->add_flag("--grid", draw.grid, gridHelp);
    drawCommand->add_option("FOLDER", draw.folder, folderHelp);
    drawCommand->callback([&] {
        command = [&] {
            return drawWorld(draw);
        };
    });

    DrawOptions show;
    CLI::App* showCommand = app.add_subcommand(
        "show", "Draws the world into world.svg in the folder, opens it and prints the check");
    showCommand->add_flag("--grid", show.grid, gridHelp);
    showCommand->add_option("FOLDER", show.folder, folderHelp);
    showCommand->callback([&] {
        command = [&] {
            return showWorld(show);
        };
    });

    ExportOptions exporting;
    CLI::App* exportCommand =
        app.add_subcommand("export", "Writes the world as a Tiled world file");
    exportCommand->add_option("--tiled", exporting.worldFile, "The world file to write")
        ->required();
    exportCommand
        ->add_option("--map-size", exporting.mapSize,
                     "The size of every map in pixels, WIDTHxHEIGHT")
        ->required();
    exportCommand->add_option("--map-suffix", exporting.mapSuffix,
                              "Added to each map's name to name its Tiled map (default .tmx)");
    exportCommand->add_flag("--grid", exporting.grid, gridHelp);
    exportCommand->add_flag("--skip-unplaced", exporting.skipUnplaced,
                            "With --grid, leaves out the maps without a cell of their own instead "
                            "of refusing");
    exportCommand->add_option("FOLDER", exporting.folder, folderHelp);
    exportCommand->callback([&] {
        command = [&] {
            return exportToTiled(exporting);
        };
    });

    EditOptions edit;
    bool noBrowser = false;
    CLI::App* editCommand = app.add_subcommand(
        "edit", "Opens the world in the editor in the browser, served on 127.0.0.1 to this "
                "machine only, and keeps it up to date as the folder changes");
    editCommand->add_option("--port", edit.port,
                            "The port to listen on (default: one the "
                            "system picks)");
    editCommand->add_flag("--no-browser", noBrowser, "Only prints the address; opens no browser");
    editCommand->add_flag("--grid", edit.grid, gridHelp);
    editCommand->add_option("FOLDER", edit.folder, folderHelp);
    editCommand->callback([&] {
        command = [&] {
            edit.openBrowser = !noBrowser;
            return editWorld(edit);
        };
    });

    MirrorOptions mirror;
    CLI::App* mirrorCommand = app.add_subcommand(
        "mirror", "Lists, or with --write makes, the links back where a one-way link's far "
                  "side leads nowhere");
    mirrorCommand->add_flag("--write", mirror.write, "Saves the mends");
    mirrorCommand->add_option("FOLDER", mirror.folder, folderHelp);
    mirrorCommand->callback([&] {
        command = [&] {
            return mirrorOneWayLinks(mirror);
        };
    });

    MergeOptions merge;
    CLI::App* mergeCommand = app.add_subcommand(
        "merge", "git's merge driver for link files: merges BASE, OURS and THEIRS field by field "
                 "into OURS; a field both sides changed differently is marked between conflict "
                 "markers, and the exit status is 1");
    mergeCommand->add_option("BASE", merge.base, "The common ancestor's link file (git's %O)")
        ->required();
    mergeCommand->add_option("OURS", merge.ours, "Our link file, and the result (git's %A)")
        ->required();
    mergeCommand->add_option("THEIRS", merge.theirs, "Their link file (git's %B)")->required();
    mergeCommand->callback([&] {
        command = [&] {
            return mergeLinkFiles(merge);
        };
    });

    GitSetupOptions gitSetup;
    CLI::App* gitSetupCommand = app.add_subcommand(
        "git-setup", "Lets git keep the bytes of link files and merge them field by field: adds "
                     "*.link -text merge=tovren-link to the repository's .gitattributes, and this "
                     "program as that merge driver to its config");
    gitSetupCommand->add_flag("--remove", gitSetup.remove, "Takes both away again");
    gitSetupCommand->add_option("REPO", gitSetup.repository,
                                "A folder of the repository (default: the current folder)");
    gitSetupCommand->callback([&] {
        command = [&] {
            return setUpGit(gitSetup);
        };
    });

    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? worldIsSound : cannotDoIt;
    }
    try {
        const int status = command();
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
