// tovren-world: checks, draws, exports and mends the world that a folder's link files make.
// Usage in --help.
#include "worldtool/cli/changecommands.h"
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
constexpr const char* finishHelp =
    "First completes a rename or removal in the folder that was cut short";

// What every command on a folder's world takes: --grid where it lays the world out, and FOLDER.
template <typename Options> void takeFolder(CLI::App* command, Options& options) {
    if constexpr (requires { options.grid; }) {
        command->add_flag("--grid", options.grid, gridHelp);
    }
    command->add_option("FOLDER", options.folder, folderHelp);
}

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
    RenameOptions rename;
    RemoveOptions remove;
    bool finish = false;
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
    takeFolder(checkCommand, check);

    DrawOptions& draw = commands.draw;
    CLI::App* drawCommand = commands.add(app, "draw", "Draws the world as an SVG picture",
                                         [&] { return drawWorld(draw); });
    drawCommand->add_option("-o,--output", draw.picture,
                            "The picture's file (default: world.svg in the folder)");
    takeFolder(drawCommand, draw);

    DrawOptions& show = commands.show;
    CLI::App* showCommand = commands.add(
        app, "show", "Draws the world into world.svg in the folder, opens it and prints the check",
        [&] { return showWorld(show); });
    takeFolder(showCommand, show);
}

void addExport(CLI::App& app, Commands& commands) {
    ExportOptions& exporting = commands.exporting;
    CLI::App* command = commands.add(app, "export", "Writes the world as a Tiled world file",
                                     [&] { return exportToTiled(exporting); });
    command->add_option("--tiled", exporting.worldFile, "The world file to write")->required();
    command->add_option("--map-size", exporting.mapSize,
                        "The size in pixels, WIDTHxHEIGHT, of each map of a region laid out by "
                        "cells (where no map has a Tiled map); needed where there is one");
    command->add_option("--map-suffix", exporting.mapSuffix,
                        "Added to each map's name to name its Tiled map (default .tmx)");
    command->add_flag("--skip-unplaced", exporting.skipUnplaced,
                      "With --grid, leaves out the maps without a cell of their own instead of "
                      "refusing");
    takeFolder(command, exporting);
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
    takeFolder(editCommand, edit);

    MirrorOptions& mirror = commands.mirror;
    CLI::App* mirrorCommand = commands.add(
        app, "mirror",
        "Lists, or with --write makes, the links back where a one-way link's far side leads "
        "nowhere",
        [&] { return mirrorOneWayLinks(mirror); });
    mirrorCommand->add_flag("--write", mirror.write, "Saves the mends");
    takeFolder(mirrorCommand, mirror);
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

void addRenameAndRemove(CLI::App& app, Commands& commands) {
    RenameOptions& rename = commands.rename;
    CLI::App* renameCommand =
        commands.add(app, "rename",
                     "Lists, or with --write makes, a map's rename: its link file and every field "
                     "of every map that leads to it",
                     [&] { return renameMap(rename); });
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

    RemoveOptions& remove = commands.remove;
    CLI::App* removeCommand =
        commands.add(app, "remove",
                     "Lists, or with --write makes, a map's removal: every field that leads to it "
                     "emptied, and its link file removed",
                     [&] { return removeMap(remove); });
    removeCommand->add_option("MAP", remove.map, "The map's name")->required();
    removeCommand->add_flag("--write", remove.write, "Removes it");
    removeCommand->add_option("FOLDER", remove.folder, folderHelp);
}

// Every command on a folder can complete a rename or removal there that was cut short.
void addFinish(CLI::App& app, Commands& commands) {
    for (CLI::App* command : app.get_subcommands({})) {
        if (command->get_option_no_throw("FOLDER") != nullptr) {
            command->add_flag("--finish", commands.finish, finishHelp);
        }
    }
}

// A rename or removal cut short is told of by every command on its folder, and completed first
// with --finish; rename and remove complete their own. False where it could not be completed.
bool tellOfAChangeCutShort(const CLI::App& app, const Commands& commands) {
    const CLI::App* chosen = app.get_subcommands().front();
    const CLI::Option* folder = chosen->get_option_no_throw("FOLDER");
    const bool changes = chosen->get_name() == "rename" || chosen->get_name() == "remove";
    return folder == nullptr || (!commands.finish && changes) ||
           tellOrFinishChange(folder->as<std::string>(), commands.finish);
}

int run(const std::vector<std::string>& arguments) {
    CLI::App app("Checks, draws, exports and mends the world of maps that a folder's link files "
                 "make: which map lies past each edge of which.",
                 "tovren-world");
    app.set_version_flag("--version", std::string("tovren-world ") + TOVREN_VERSION_TEXT);
    app.footer("A map's size comes from its Tiled map beside its link file, NAME.tmx or else "
               "NAME.tmj: a region in which any map has one is laid out in pixels, linked maps "
               "touching. A map that is not orthogonal (isometric, staggered or hexagonal) counts "
               "as one without a Tiled map: its tiles do not meet a neighbour's edge to edge.");
    app.require_subcommand(1);
    Commands commands;
    addCheckAndDraw(app, commands);
    addExport(app, commands);
    addEditAndMirror(app, commands);
    addGit(app, commands);
    addRenameAndRemove(app, commands);
    addFinish(app, commands);
    try {
        std::vector<std::string> reversed(arguments.rbegin(), arguments.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? worldIsSound : cannotDoIt;
    }
    try {
        if (!tellOfAChangeCutShort(app, commands)) {
            return cannotDoIt;
        }
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
