#pragma once

#include "worldtool/edit/server/beast.h"
#include "worldtool/edit/server/filework.h"
#include "worldtool/edit/server/folderwatch.h"
#include "worldtool/edit/session/liveworld.h"

#include <optional>
#include <string>
#include <vector>

namespace tovren {

// What the server learns of folders: the changes of their link files, taken in a few at a time
// (a save's writes settle first) and read on the thread that waits for files; the folders that
// texts lead into, watched once a page has seen the world that leads there; and the folder
// itself, looked at every second: told gone when it has gone, and read and watched anew when it
// is back or another stands in its place.
class FolderNews {
public:
    FolderNews(boost::asio::io_context& io, LiveWorld& world, FileWork& files);

    void start();
    void stop();

    // Watches the folders that texts lead into, as the world was last laid out.
    void watchOutside();

private:
    boost::asio::io_context& io_;
    LiveWorld& world_;
    FileWork& files_;
    boost::asio::steady_timer settle_;
    boost::asio::steady_timer look_;
    bool settling_ = false;
    std::vector<FolderWatch::Change> pending_;
    std::vector<std::string> outside_;
    std::optional<std::string> watched_; // the folder's identity, while it is watched
    FolderWatch watch_;                  // last: its thread goes before anything it posts to

    void noteChanges(std::vector<FolderWatch::Change> changes);
    void readChanges(const std::vector<FolderWatch::Change>& changes);
    void lookAtTheFolder();
};

} // namespace tovren
