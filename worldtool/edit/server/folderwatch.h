#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tovren {

// Tells of changes to the link files of folders, by the operating system's notifications
// (inotify on Linux, ReadDirectoryChangesW on Windows), on threads of its own that sleep until
// the system wakes them: a folder at rest costs no processor time.
class FolderWatch {
public:
    // A link file of a watched folder was made, changed, renamed or removed: its map's name as
    // the folder has it. `lost`: the system dropped notifications, so anything may have changed.
    struct Change {
        std::string folder;
        std::string mapName;
        bool lost = false;
    };
    // Called on a thread of the watch's.
    using Changed = std::function<void(std::vector<Change>)>;

    explicit FolderWatch(Changed changed);
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    ~FolderWatch(); // stops watching; no call comes after it

    // Watches one more folder (absolute); a folder watched already is left as it is. Returns
    // false where the system will not watch it.
    bool watch(const std::string& folder);
    // Watches a folder no longer: the one at that path has gone, or another stands there.
    void forget(const std::string& folder);

private:
    class Host;
    std::unique_ptr<Host> host_;
};

} // namespace tovren
