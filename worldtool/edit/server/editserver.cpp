#include "worldtool/edit/server/editserver.h"

#include "worldtool/edit/http/responses.h"
#include "worldtool/edit/http/routes.h"
#include "worldtool/edit/server/beast.h"
#include "worldtool/edit/server/endsignals.h"
#include "worldtool/edit/server/folderwatch.h"
#include "worldtool/edit/server/listener.h"
#include "worldtool/edit/server/pages.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace tovren {

namespace {

namespace asio = boost::asio;

constexpr auto settleTime = std::chrono::milliseconds(80); // for a save's writes to settle

} // namespace

class EditServer::Impl {
public:
    Impl(LiveWorld& world, unsigned short port, std::string token)
        : world_(world),
          settle_(io_), handlers_{
                            [this](const std::shared_ptr<Connection>& connection,
                                   Request&& request) { received(connection, std::move(request)); },
                            [this] {
                                pages_.gone();
                            }},
          listener_(io_, port, connections_, handlers_),
          routes_(world, Guard(listener_.port(), std::move(token))),
          pages_(io_, connections_, [this] { stop(); }),
          watch_([this](std::vector<FolderWatch::Change> changes) {
              asio::post(io_, [this, changes = std::move(changes)] { noteChanges(changes); });
          }) {
        world_.onNewVersion([this](std::uint64_t version) {
            asio::post(io_, [this, version] { pages_.tell(worldEvent(version)); });
        });
    }

    ~Impl() { world_.onNewVersion(nullptr); }

    std::string url() const { return routes_.guard().url(); }

    void run() {
        watch_.watch(world_.folder());
        listener_.start();
        pages_.start();
        {
            EndSignals signals(io_, [this] { stop(); });
            io_.run();
        }
    }

private:
    LiveWorld& world_;
    ConnectionList connections_; // outlives io_'s handlers, which hold connections
    asio::io_context io_;
    asio::steady_timer settle_;
    Connection::Handlers handlers_;
    Listener listener_;
    EditorRoutes routes_;
    Pages pages_;
    bool stopping_ = false;
    bool settling_ = false;
    std::vector<FolderWatch::Change> pending_;
    std::vector<std::string> outside_;
    FolderWatch watch_; // last: its thread goes before anything it posts to

    void received(const std::shared_ptr<Connection>& connection, Request&& request) {
        pages_.asked();
        Answer answer = routes_.respond(request);
        if (answer.events) {
            pages_.open(*connection, std::move(*answer.events));
        } else {
            connection->reply(std::move(answer.response));
        }
        if (answer.accepted) {
            watchOutside();
        }
    }

    void noteChanges(const std::vector<FolderWatch::Change>& changes) {
        pending_.insert(pending_.end(), changes.begin(), changes.end());
        if (settling_) {
            return;
        }
        settling_ = true;
        settle_.expires_after(settleTime);
        settle_.async_wait([this](boost::beast::error_code error) {
            settling_ = false;
            if (!error) {
                applyChanges();
            }
        });
    }

    void applyChanges() {
        std::vector<FolderWatch::Change> changes;
        changes.swap(pending_);
        std::vector<std::string> names;
        bool lost = false;
        bool outside = false;
        for (const FolderWatch::Change& change : changes) {
            const bool ours = change.folder.empty() || change.folder == world_.folder();
            lost = lost || (change.lost && ours);
            if (change.folder == world_.folder()) {
                names.push_back(change.mapName);
            } else {
                outside = true;
            }
        }
        try {
            if (lost) {
                world_.rereadAll();
            } else if (!names.empty()) {
                world_.reread(names);
            }
        } catch (const std::exception&) {
            // The folder cannot be listed now (removed, say): the world stays as it was read.
        }
        if (outside) {
            world_.outsideChanged();
        }
    }

    // Folders that texts lead into are watched too, so that their maps' changes are seen: those
    // of the world as it was last laid out, for a page that asked for it.
    void watchOutside() {
        for (const std::string& folder : world_.outsideFolders()) {
            if (std::find(outside_.begin(), outside_.end(), folder) == outside_.end()) {
                outside_.push_back(folder);
                watch_.watch(folder);
            }
        }
    }

    void stop() {
        if (stopping_) {
            return;
        }
        stopping_ = true;
        listener_.stop();
        pages_.stop();
        connections_.closeAll();
        settle_.cancel();
        io_.stop();
    }
};

EditServer::EditServer(LiveWorld& world, unsigned short port, std::string token)
    : impl_(std::make_unique<Impl>(world, port, std::move(token))) {}

EditServer::~EditServer() = default;

std::string EditServer::url() const {
    return impl_->url();
}

void EditServer::run() {
    impl_->run();
}

} // namespace tovren
