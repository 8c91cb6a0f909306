#include "worldtool/edit/server/foldernews.h"

#include "world/hostfolder.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <set>

namespace tovren {

namespace {

namespace asio = boost::asio;

constexpr auto settleTime = std::chrono::milliseconds(80); // for a save's writes to settle
constexpr auto lookTime = std::chrono::seconds(1);         // between two looks at the folder

} // namespace

FolderNews::FolderNews(asio::io_context& io, LiveWorld& world, FileWork& files)
    : io_(io), world_(world), files_(files), settle_(io), look_(io),
      watch_([this](std::vector<FolderWatch::Change> changes) {
          asio::post(io_, [this, changes = std::move(changes)]() mutable {
              noteChanges(std::move(changes));
          });
      }) {}

void FolderNews::start() {
    watched_ = folderIdentity(world_.folder());
    watch_.watch(world_.folder());
    lookAtTheFolder();
}

void FolderNews::stop() {
    settle_.cancel();
    look_.cancel();
}

void FolderNews::noteChanges(std::vector<FolderWatch::Change> changes) {
    pending_.insert(pending_.end(), std::make_move_iterator(changes.begin()),
                    std::make_move_iterator(changes.end()));
    if (settling_) {
        return;
    }
    settling_ = true;
    settle_.expires_after(settleTime);
    settle_.async_wait([this](boost::beast::error_code error) {
        settling_ = false;
        if (!error) {
            files_.post([this, changes = std::move(pending_)] { readChanges(changes); }, [] {});
            pending_.clear();
        }
    });
}

// On the thread that waits for files.
void FolderNews::readChanges(const std::vector<FolderWatch::Change>& changes) {
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> outside; // by folder
    std::set<std::string> lostOutside;
    bool lost = false;
    for (const FolderWatch::Change& change : changes) {
        const bool ours = change.folder.empty() || change.folder == world_.folder();
        lost = lost || (change.lost && ours);
        if (ours) {
            names.push_back(change.mapName);
        } else if (change.lost) {
            lostOutside.insert(change.folder);
        } else {
            outside[change.folder].push_back(change.mapName);
        }
    }
    try {
        if (world_.whyGone()) {
            // Its news is of the folder that went, wherever it is now: it waits for the look.
        } else if (lost) {
            world_.rereadAll();
        } else if (!names.empty()) {
            world_.reread(names);
        }
    } catch (const std::exception&) {
        asio::post(io_, [this] { lookAtTheFolder(); }); // gone, most likely: it is told so
    }
    for (const auto& [folder, mapNames] : outside) {
        world_.outsideChanged(folder,
                              lostOutside.contains(folder) ? std::vector<std::string>() : mapNames);
    }
    for (const std::string& folder : lostOutside) {
        if (!outside.contains(folder)) {
            world_.outsideChanged(folder, {});
        }
    }
}

void FolderNews::lookAtTheFolder() {
    look_.cancel();
    const std::optional<std::string> now = folderIdentity(world_.folder());
    if (!now && watched_) { // gone
        watch_.forget(world_.folder());
        watched_.reset();
        world_.folderGone();
    } else if (now && now != watched_) { // back, or another in its place
        watch_.forget(world_.folder());
        watched_ = now;
        watch_.watch(world_.folder());
        files_.post(
            [this] {
                try {
                    world_.rereadAll();
                } catch (const std::exception&) {
                    asio::post(io_, [this] { lookAtTheFolder(); });
                }
            },
            [] {});
    }
    look_.expires_after(lookTime);
    look_.async_wait([this](boost::beast::error_code error) {
        if (!error) {
            lookAtTheFolder();
        }
    });
}

void FolderNews::watchOutside() {
    for (const std::string& folder : world_.outsideFolders()) {
        if (std::find(outside_.begin(), outside_.end(), folder) == outside_.end()) {
            outside_.push_back(folder);
            watch_.watch(folder);
        }
    }
}

} // namespace tovren
