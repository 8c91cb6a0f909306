#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovren {

// What the world needs of the host's file names and folders; one implementation per host.

// A folder entry whose name ends in ".link".
struct LinkFileEntry {
    enum class Type { File, Folder, Other }; // Other: a device, a pipe, a socket
    std::string mapName;                     // the entry's name without ".link", as the host has it
    Type type = Type::File;                  // symbolic links followed; File where that fails
};

// A Tiled map of the folder, by the name of the map it belongs to: NAME.tmx (XML), or NAME.tmj
// (JSON).
struct TiledFileEntry {
    std::string mapName;
    bool json = false;
};

// The folder as an absolute path, without a trailing separator unless it is a root.
std::string absoluteFolder(const std::string& folder);

// Calls back with each link file entry of a folder, not of its subfolders, as the listing
// finds it, and with each Tiled map where `tiledFound` is given. Throws FolderFailure.
void listLinkFiles(const std::string& folder, const std::function<void(LinkFileEntry&&)>& found,
                   const std::function<void(TiledFileEntry&&)>& tiledFound = {});

// The link file entry of one map of the folder, as the listing would give it; none where the
// folder holds no such entry (or it cannot be looked at, which the store then tells).
std::optional<LinkFileEntry> linkFileEntry(const std::string& folder, const std::string& mapName);

// Equal for two names that name the same file in one folder: byte for byte on Linux, letter
// case aside on Windows.
std::string nameKey(const std::string& mapName);

// A name as people are shown it: UTF-8, with bytes that are not read by the store's rule.
std::string shownName(const std::string& mapName);

// Whether a map name reaches into another folder.
bool hasSeparator(std::string_view mapName);

// Where the last part of a text starts, after its last separator: the name of the map it leads
// to within the folder it leads into.
std::size_t nameStart(std::string_view text);

// Where a path leads once its folders are resolved: the same text for every path to one file
// (by its folder and name). None when its folder does not exist.
std::optional<std::string> placeOf(const std::string& path);

// Whether the file at `path`, every link on its way resolved, its own included, lies in the
// folder or one of its subfolders; for a file not there yet, where it would be made.
bool liesInside(const std::string& path, const std::string& folder);

// What tells one folder from another that later stands at the same path (a device and a node,
// or a volume and a file index); none where no folder is there.
std::optional<std::string> folderIdentity(const std::string& folder);

// Whether the entry at `path` is a symbolic link (on Windows, any reparse point), not a file.
bool isLink(const std::string& path);

// The folder part and the name part of such a place.
std::string_view folderOfPlace(std::string_view place);
std::string_view nameOfPlace(std::string_view place);

} // namespace tovren
