#include "worldtool/cli/commands.h"

#include "linkstore/linkfile.h"
#include "world/mirror.h"
#include "world/world.h"
#include "worldtool/cli/viewer.h"
#include "worldtool/picture/svgpicture.h"
#include "worldtool/report/baseline.h"
#include "worldtool/report/githubreport.h"
#include "worldtool/report/report.h"
#include "worldtool/report/sarifreport.h"
#include "worldtool/tiled/tiledexport.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <regex>

namespace tovren {

namespace {

World readFolder(const std::string& folder, bool grid = false) {
    return readWorld(folder.empty() ? programDirectory() : folder,
                     grid ? LayoutRule::Grid : LayoutRule::ByDirection);
}

int statusOf(const World& world, bool strict) {
    const bool faulty =
        world.count(Severity::Error) > 0 || (strict && world.count(Severity::Warning) > 0);
    return faulty ? worldHasFaults : worldIsSound;
}

std::filesystem::path utf8Path(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// Writes a file whole or not at all: into a file beside it first, then renamed over it.
bool writeFile(const std::string& path, const std::function<void(std::ostream&)>& write) {
    const std::filesystem::path target = utf8Path(path);
    std::filesystem::path staged = target;
    staged += ".new";
    {
        std::ofstream out(staged, std::ios::binary | std::ios::trunc);
        if (out) {
            write(out);
        }
        out.flush();
        if (!out) {
            std::cerr << "tovren-world: cannot write " << path << '\n';
            std::error_code ignored;
            std::filesystem::remove(staged, ignored);
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(staged, target, error);
    if (error) {
        std::cerr << "tovren-world: cannot write " << path << ": " << error.message() << '\n';
        std::filesystem::remove(staged, error);
        return false;
    }
    return true;
}

std::string picturePath(const World& world, const std::string& chosen) {
    if (!chosen.empty()) {
        return chosen;
    }
    const std::u8string path = (utf8Path(world.folder) / "world.svg").u8string();
    return {path.begin(), path.end()};
}

} // namespace

int checkWorld(const CheckOptions& options) {
    World world = readFolder(options.folder, options.grid);
    if (!options.writeBaseline.empty()) {
        if (!writeFile(options.writeBaseline,
                       [&](std::ostream& out) { writeBaseline(world, out); })) {
            return cannotDoIt;
        }
        std::cout << "Wrote the world's " << world.findings.size()
                  << (world.findings.size() == 1 ? " finding" : " findings") << " into "
                  << options.writeBaseline << " as the baseline\n";
        return worldIsSound;
    }
    std::optional<AgainstBaseline> against;
    if (!options.baseline.empty()) {
        std::ifstream in(utf8Path(options.baseline), std::ios::binary);
        if (!in) {
            std::cerr << "tovren-world: cannot read the baseline " << options.baseline << '\n';
            return cannotDoIt;
        }
        try {
            against = compareWithBaseline(world.findings, readBaseline(in));
        } catch (const std::runtime_error& failure) {
            std::cerr << "tovren-world: " << options.baseline << ": " << failure.what() << '\n';
            return cannotDoIt;
        }
        world.findings = std::move(against->fresh);
    }
    const std::string format = options.json ? "json" : options.format;
    if (format == "json") {
        writeJsonReport(world, std::cout);
    } else if (format == "github") {
        writeGithubReport(world, std::cout);
    } else if (format == "sarif") {
        writeSarifReport(world, std::cout);
    } else {
        writeTextReport(world, std::cout);
    }
    if (against) {
        // Beside a document, not in it.
        std::ostream& told = format == "json" || format == "sarif" ? std::cerr : std::cout;
        told << "The baseline " << options.baseline << ": " << against->standing
             << " of its findings " << (against->standing == 1 ? "still stands" : "still stand")
             << " (not shown), " << against->gone << (against->gone == 1 ? " is" : " are")
             << " gone\n";
    }
    return statusOf(world, options.strict);
}

int drawWorld(const DrawOptions& options) {
    const World world = readFolder(options.folder, options.grid);
    const std::string picture = picturePath(world, options.picture);
    if (!writeFile(picture, [&](std::ostream& out) { writeSvgPicture(world, out); })) {
        return cannotDoIt;
    }
    std::cout << "Drew the world of " << world.maps.size() << " maps into " << picture << '\n';
    return worldIsSound;
}

int showWorld(const DrawOptions& options) {
    const World world = readFolder(options.folder, options.grid);
    const std::string picture = picturePath(world, {});
    if (!writeFile(picture, [&](std::ostream& out) { writeSvgPicture(world, out); })) {
        return cannotDoIt;
    }
    writeTextReport(world, std::cout);
    std::cout.flush();
    if (const std::optional<std::string> failure = openInViewer(picture)) {
        std::cerr << "tovren-world: " << *failure << '\n';
        return cannotDoIt;
    }
    return statusOf(world, false);
}

int exportToTiled(const ExportOptions& options) {
    static const std::regex size("([1-9][0-9]{0,8})x([1-9][0-9]{0,8})");
    std::smatch parts;
    if (!std::regex_match(options.mapSize, parts, size)) {
        std::cerr << "tovren-world: --map-size takes the size of one map in pixels, such as "
                     "640x480, not "
                  << options.mapSize << '\n';
        return cannotDoIt;
    }
    TiledExport how{options.worldFile, std::stoll(parts[1]), std::stoll(parts[2]),
                    options.mapSuffix};
    const World world = readFolder(options.folder, options.grid);
    const std::vector<std::string> unplaced = unplacedMaps(world);
    if (!unplaced.empty() && !options.skipUnplaced) {
        std::cerr << "tovren-world: these maps have no cell of their own, so the world cannot be "
                     "laid out for Tiled (--skip-unplaced leaves them out); nothing was written:\n";
        for (const std::string& name : unplaced) {
            std::cerr << "  " << name << '\n';
        }
        return worldHasFaults;
    }
    if (!writeFile(how.worldFile, [&](std::ostream& out) { writeTiledWorld(world, how, out); })) {
        return cannotDoIt;
    }
    std::cout << "Wrote " << how.worldFile << " with " << world.maps.size() - unplaced.size()
              << " maps\n";
    for (const std::string& name : unplaced) {
        std::cout << "left out, without a cell of its own: " << name << '\n';
    }
    return worldIsSound;
}

int mirrorOneWayLinks(const MirrorOptions& options) {
    const World world = readFolder(options.folder);
    const MirrorPlan plan = planMirror(world);
    std::vector<std::optional<std::string>> failures(plan.mends.size());
    if (options.write) {
        failures = applyMirror(world, plan);
    }
    std::size_t links = 0;
    std::size_t maps = 0;
    for (std::size_t at = 0; at < plan.mends.size(); ++at) {
        if (failures[at]) {
            std::cerr << "tovren-world: not saved: " << *failures[at] << '\n';
            continue;
        }
        for (const std::string& change : plan.mends[at].changes) {
            std::cout << (options.write ? "made: " : "would make: ") << change << '\n';
        }
        links += plan.mends[at].changes.size();
        ++maps;
    }
    for (const Undecided& undecided : plan.undecided) {
        std::cout << "for a person: " << undecided.message << '\n';
    }
    std::cout << links << (links == 1 ? " link" : " links") << " in " << maps
              << (maps == 1 ? " map " : " maps ")
              << (options.write ? "mended" : "to mend (--write mends them)") << ", "
              << plan.undecided.size() << " for a person to decide\n";
    return maps == plan.mends.size() ? worldIsSound : worldHasFaults;
}

} // namespace tovren
