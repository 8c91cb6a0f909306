#pragma once

#include "world/mapsave.h"
#include "world/savetransaction.h"
#include "world/worldchange.h"
#include "world/worldtypes.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace tovren {

// Why the editor refused a change before trying any of it, or why a rename or removal failed.
struct SaveRefusal {
    enum class Reason {
        NoSuchMap,
        NotAPlainName,
        NotWritable,  // a file the editor does not write: outside its folder, or through a link
        FolderGone,   // the folder has gone
        CannotBeDone, // a rename or removal as asked: the new name is taken, say
        NotNow,       // another program holds a file, another change is going on, or was cut short
        CutShort,     // a rename or removal stopped on its way; its journal keeps the rest
    };
    Reason reason;
    std::string sentence;
};

// A map renamed across the world, or with no new name removed, as the page asks it: by the name
// the world shows. Without what every file it touches is expected to hold, by map name, only
// its plan is asked for.
struct ChangeRequest {
    std::string map;
    std::optional<std::string> to;
    std::optional<std::map<std::string, LinkRecord>> expect;
};

// What a rename or removal came to: refused; or its plan, what the plan expects each file it
// touches to hold (the map's own and those of the maps whose fields change, by name), and
// whether it was done, or, where any file held other than the page expected, nothing was done.
struct EditorChange {
    std::optional<SaveRefusal> refusal;
    WorldChange plan;
    std::map<std::string, LinkRecord> expect;
    std::vector<SaveConflict> conflicts;
    bool done = false;
    std::uint64_t version = 0;
};

// What a change asked of the editor came to.
struct EditorSave {
    std::optional<SaveRefusal> refusal; // nothing was tried
    SaveResult result;                  // else the conflicts, or what became of each map
    std::uint64_t version = 0;          // of the world after it
};

// The world as the editor shows it: laid out, its version, and the maps it reads but never
// writes (those whose link files lie outside its folder), each by name with a sentence that
// says why.
struct ShownWorld {
    const World& world;
    std::uint64_t version;
    std::vector<std::pair<std::string, std::string>> readOnly;
    std::optional<std::string> gone; // the folder is gone: the world as it was last read
};

// The world of a folder as the editor keeps it: every link file of the folder as last loaded.
// A file is re-read on its own when it changes, never the whole folder; the version grows
// whenever the world on disk changes. The world is laid out from the files kept, in their
// place, whenever it is asked for, and not kept: at rest the editor holds little more than the
// files, as the check does.
//
// The editor writes only link files whose real path (every link resolved) lies in the folder or
// its subfolders, and takes away only what it makes: a file of the folder itself, by a plain
// name, never through a link. It makes a new map's file only where nothing has its name.
//
// Safe to share between threads: the files kept are locked only while they are laid out or
// changed, never while a file is read or written, so that asking for the world never waits for
// a file that another program holds. Saves and re-reads, which do wait for files, must come
// from one thread at a time.
class LiveWorld {
public:
    // Reads the whole folder once. Throws FolderFailure.
    LiveWorld(const std::string& folder, LayoutRule layout);

    const std::string& folder() const { return folder_; } // absolute, as the host has it
    std::uint64_t version() const { return version_; }

    // Called with the new version, on the thread that changed it, whenever the version grows.
    void onNewVersion(std::function<void(std::uint64_t)> told) { told_ = std::move(told); }

    // Lays the world out from the files kept and hands it to `use`.
    void withWorld(const std::function<void(const ShownWorld&)>& use);

    // The folders outside this one that texts lead into, where the world had maps when it was
    // last laid out; laying it out is left to those who ask for the world.
    std::vector<std::string> outsideFolders() const;

    // Re-reads the link files of these maps of the folder (names as the folder has them):
    // made, changed or gone. The version grows if anything changed; so it does everywhere.
    void reread(const std::vector<std::string>& mapNames);
    // Re-reads every link file: news of changes was lost, or the folder is back. Throws
    // FolderFailure.
    void rereadAll();
    // The folder is gone (moved away or removed): the world stays as last read, and nothing is
    // saved until it is read again. Why, as a sentence, while it is so.
    void folderGone();
    std::optional<std::string> whyGone() const;
    // These link files changed in a folder outside this one that texts lead into (none named:
    // news was lost there).
    void outsideChanged(const std::string& folder, const std::vector<std::string>& mapNames);

    // A change of the page: each map by the name the world shows, a new one by a plain name in
    // the folder; then the save transaction, and what it wrote kept.
    EditorSave save(const std::vector<MapSave>& saves);

    // A map renamed or removed across the world as tovren-world rename and remove do it, never
    // half done: planned from the folder as it is, checked against what the page expected, and
    // carried out holding the folder against any other such change.
    EditorChange change(const ChangeRequest& request);

private:
    // Where a change goes: each map's link file, and its name among the folder's own maps.
    struct Planned {
        std::vector<MapTarget> targets;
        std::vector<std::optional<std::string>> folderNames; // none: a map outside the folder
    };
    // Where texts lead out of the folder, as the world was last laid out, and its version.
    struct Outside {
        std::uint64_t version = 0;
        std::vector<std::string> folders;
        std::map<std::string, std::string> maps;                // their paths, by the names shown
        std::map<std::string, std::optional<LinkRecord>> loads; // as loaded, by place
    };

    std::string folder_;
    LayoutRule layout_;
    mutable std::mutex lock_;              // over what follows
    std::map<std::string, WorldMap> maps_; // the folder's own maps, by their names on disk
    std::set<std::string> linked_;         // those whose file is a symbolic link
    bool gone_ = false;
    Outside outside_;
    std::atomic<std::uint64_t> version_{1};
    std::function<void(std::uint64_t)> told_;

    // Each of these is called with the lock held.
    void layOut(const std::function<void(const ShownWorld&)>& use);
    const Outside& outside();
    void keep(WorldMap map);
    void forget(const std::string& name);
    std::optional<std::string> whyReadOnly(const WorldMap& map) const;
    std::optional<SaveRefusal> refusal(const MapSave& save, const std::string& path,
                                       bool folderMap) const;
    std::variant<SaveRefusal, Planned> plan(const std::vector<MapSave>& saves);
    bool keepWritten(const Planned& planned, const SaveResult& result);
    std::string goneSentence() const;
    // Without it.
    void newVersion();
};

} // namespace tovren
