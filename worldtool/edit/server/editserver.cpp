#include "worldtool/edit/server/editserver.h"

#include "worldtool/edit/http/responses.h"
#include "worldtool/edit/http/routes.h"
#include "worldtool/edit/server/beast.h"
#include "worldtool/edit/server/endsignals.h"
#include "worldtool/edit/server/filework.h"
#include "worldtool/edit/server/foldernews.h"
#include "worldtool/edit/server/listener.h"
#include "worldtool/edit/server/pages.h"

#include <chrono>
#include <optional>

namespace tovren {

namespace {

namespace asio = boost::asio;

// How long the answers of requests in hand may take to go out once the server is to end.
constexpr auto lastWords = std::chrono::seconds(2);

} // namespace

class EditServer::Impl {
public:
    Impl(LiveWorld& world, unsigned short port, std::string token)
        : world_(world), lastCall_(io_), handlers_(connectionHandlers()),
          listener_(io_, port, connections_, handlers_),
          routes_(world, Guard(listener_.port(), std::move(token))),
          pages_(io_, connections_, [this] { stop(); }), news_(io_, world, files_) {
        world_.onNewVersion([this](std::uint64_t version) {
            asio::post(io_,
                       [this, version] { pages_.tell(worldEvent(version, world_.whyGone())); });
        });
        news_.start(); // before the address is told: no change made after it is missed
    }

    ~Impl() { world_.onNewVersion(nullptr); }

    std::string url() const { return routes_.guard().url(); }

    void run() {
        listener_.start();
        pages_.start();
        {
            EndSignals signals(io_, [this] { stop(); });
            io_.run();
            files_.finish(); // the save in hand, if any, is done before the end is told
        }
    }

private:
    LiveWorld& world_;
    ConnectionList connections_; // outlives io_'s handlers, which hold connections
    asio::io_context io_;
    asio::steady_timer lastCall_;
    Connection::Handlers handlers_;
    Listener listener_;
    EditorRoutes routes_;
    Pages pages_;
    FileWork files_; // before news_, which gives it work, and after io_, to which it answers
    FolderNews news_;
    bool stopping_ = false;
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> finishing_;

    Connection::Handlers connectionHandlers() {
        return {[this](const std::shared_ptr<Connection>& connection, Request&& request) {
                    received(connection, std::move(request));
                },
                [this] {
                    pages_.gone();
                }};
    }

    void received(const std::shared_ptr<Connection>& connection, Request&& request) {
        if (!routes_.waitsForFiles(request)) {
            answered(connection, routes_.respond(request));
            return;
        }
        files_.post(
            [this, connection, request = std::move(request)] {
                asio::post(io_, [this, connection, answer = routes_.respond(request)]() mutable {
                    answered(connection, std::move(answer));
                });
            },
            [this, connection] { asio::post(io_, [connection] { connection->close(); }); });
    }

    void answered(const std::shared_ptr<Connection>& connection, Answer&& answer) {
        if (answer.accepted) { // only the person at this machine keeps the server waiting
            pages_.asked();
            news_.watchOutside();
        }
        if (answer.events && !stopping_) {
            pages_.open(*connection, std::move(*answer.events));
        } else if (answer.events) {
            connection->close();
        } else {
            connection->reply(std::move(answer.response));
        }
    }

    // No new requests; the answers in hand, a save above all, are made and go out first.
    void stop() {
        if (stopping_) {
            return;
        }
        stopping_ = true;
        // A save in hand has nothing in io_ to wait for until its answer comes back.
        finishing_.emplace(io_.get_executor());
        listener_.stop();
        pages_.stop();
        news_.stop();
        connections_.forEach([](Connection& connection) {
            if (connection.state() == Connection::State::Answering) {
                connection.endAfterAnswer();
            } else {
                connection.close();
            }
        });
        files_.end([this] {
            asio::post(io_, [this] { waitForTheLastAnswers(std::chrono::steady_clock::now()); });
        });
    }

    void waitForTheLastAnswers(std::chrono::steady_clock::time_point since) {
        if (connections_.size() == 0 || std::chrono::steady_clock::now() - since > lastWords) {
            io_.stop();
            return;
        }
        lastCall_.expires_after(std::chrono::milliseconds(10));
        lastCall_.async_wait(
            [this, since](boost::beast::error_code) { waitForTheLastAnswers(since); });
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
