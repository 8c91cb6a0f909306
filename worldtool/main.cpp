// tovren-world: checks, draws, exports and mends the world that a folder's link files make.
// Usage in --help.
#include "world/world.h"
#include "worldtool/cli/changecommands.h"
#include "worldtool/cli/commandline.h"
#include "worldtool/cli/commands.h"
#include "worldtool/cli/editcommand.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <iostream>

namespace {

constexpr const char* folderHelp =
    "The folder of link files, not its subfolders (default: the folder of this program)";
constexpr const char* gridHelp =
    "Lays the world out as a grid of equal screens, one step per link, and tells the maps "
    "that overlap there";
constexpr const char* finishHelp =
    "First completes a rename or removal in the folder that was cut short";

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
        "Tells every one-way, dangling and unreadable link and every loop that wraps around");
    checkCommand->add_flag("--json", check.json, "Writes one JSON document instead of lines");
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

    RenameOptions rename;
    CLI::App* renameCommand = app.add_subcommand(
        "rename", "Lists, or with --write makes, a map's rename: its link file and every field "
                  "of every map that leads to it");
    renameCommand->add_option("OLD", rename.map, "The map's name")->required();
    renameCommand->add_option("NEW", rename.newName, "Its new name, a plain one")->required();
    renameCommand->add_flag("--write", rename.write, "Renames it");
    renameCommand
        ->add_option("--also", rename.also,
                     "The ends of the names of the files beside it to rename too, such as "
                     ".tmx,.png")
        ->delimiter(',')
        ->allow_extra_args(false);
    renameCommand->add_option("FOLDER", rename.folder, folderHelp);
    renameCommand->callback([&] {
        command = [&] {
            return renameMap(rename);
        };
    });

    RemoveOptions remove;
    CLI::App* removeCommand = app.add_subcommand(
        "remove", "Lists, or with --write makes, a map's removal: every field that leads to it "
                  "emptied, and its link file removed");
    removeCommand->add_option("MAP", remove.map, "The map's name")->required();
    removeCommand->add_flag("--write", remove.write, "Removes it");
    removeCommand->add_option("FOLDER", remove.folder, folderHelp);
    removeCommand->callback([&] {
        command = [&] {
            return removeMap(remove);
        };
    });

    bool finish = false;
    for (CLI::App* subcommand : app.get_subcommands({})) {
        subcommand->add_flag("--finish", finish, finishHelp);
    }

    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? worldIsSound : cannotDoIt;
    }
    try {
        // A rename or removal cut short is told of by every command, and completed by --finish;
        // rename and remove complete their own.
        const CLI::App* chosen = app.get_subcommands().front();
        const bool changes = chosen == renameCommand || chosen == removeCommand;
        if ((finish || !changes) &&
            !tellOrFinishChange(chosen->get_option("FOLDER")->as<std::string>(), finish)) {
            return changes ? changeNotDone : cannotDoIt;
        }
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
