#pragma once

#include <string>

namespace tovren {

// What tovren-world's commands return: the world holds no error (or, strictly, no finding);
// it holds some, or a mend failed; the command could not do its work at all.
constexpr int worldIsSound = 0;
constexpr int worldHasFaults = 1;
constexpr int cannotDoIt = 2;

// Each command's FOLDER: empty for the folder of this program. Each throws FolderFailure when
// the folder cannot be read.

struct CheckOptions {
    std::string folder;
    std::string format = "text"; // text, json, github or sarif
    bool json = false;           // the same as format json
    std::string baseline;        // reports only the findings this baseline does not know
    std::string writeBaseline;   // writes the findings there as the baseline instead
    bool strict = false;
    bool grid = false; // laid out as a grid of equal screens, overlaps told
};
int checkWorld(const CheckOptions& options);

struct DrawOptions {
    std::string folder;
    std::string picture; // empty for world.svg in the folder
    bool grid = false;
};
int drawWorld(const DrawOptions& options);

// Draws the picture into the folder, opens it in the desktop's viewer and prints the check.
int showWorld(const DrawOptions& options);

struct ExportOptions {
    std::string folder;
    std::string worldFile;
    std::string mapSize; // WIDTHxHEIGHT
    std::string mapSuffix = ".tmx";
    bool skipUnplaced = false;
    bool grid = false;
};
int exportToTiled(const ExportOptions& options);

struct MirrorOptions {
    std::string folder;
    bool write = false;
};
int mirrorOneWayLinks(const MirrorOptions& options);

} // namespace tovren
