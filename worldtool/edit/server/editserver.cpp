#include "worldtool/edit/server/editserver.h"

#include "worldtool/edit/server/beast.h"
#include "worldtool/edit/http/editorpage.h"
#include "worldtool/edit/server/folderwatch.h"
#include "worldtool/edit/http/saverequest.h"
#include "worldtool/edit/http/token.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <mutex>
#include <nlohmann/json.hpp>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#endif

namespace tovren {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;

constexpr std::size_t largestBody = 1024 * 1024;
constexpr std::size_t largestHeader = 16 * 1024;
constexpr auto requestTime = std::chrono::seconds(30);     // to send a whole request, or go
constexpr auto lastPageGrace = std::chrono::seconds(30);   // a reload comes within it
constexpr auto firstPageGrace = std::chrono::minutes(2);   // a browser may be slow to start
constexpr auto settleTime = std::chrono::milliseconds(80); // for a save's writes to settle
constexpr auto heartbeat = std::chrono::seconds(20);       // finds the pages that went silently
constexpr std::size_t mostConnectionsWanted = 4000;

// Beast of Boost 1.74 has views of text of its own.
std::string_view plain(beast::string_view text) {
    return {text.data(), text.size()};
}
beast::string_view beastView(std::string_view text) {
    return {text.data(), text.size()};
}

std::string jsonText(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// Every answer: never kept by a cache, never sniffed for another type, and no address of the
// page, which holds the token, handed on.
Response makeResponse(const Request& request, http::status status, std::string_view type,
                      std::string body) {
    Response response{status, request.version()};
    response.set(http::field::content_type, beastView(type));
    response.set(http::field::cache_control, "no-store");
    response.set("X-Content-Type-Options", "nosniff");
    response.set("Referrer-Policy", "no-referrer");
    response.keep_alive(request.keep_alive());
    response.body() = std::move(body);
    response.prepare_payload();
    return response;
}

Response sentence(const Request& request, http::status status, const std::string& text) {
    return makeResponse(request, status, "application/json; charset=utf-8",
                        jsonText({{"error", text}}));
}

// The value of a parameter of a request's query, if it has one.
std::optional<std::string_view> queryValue(std::string_view target, std::string_view name) {
    const std::size_t mark = target.find('?');
    if (mark == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view query = target.substr(mark + 1);
    while (!query.empty()) {
        const std::size_t end = std::min(query.find('&'), query.size());
        const std::string_view pair = query.substr(0, end);
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name) {
            return equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
        }
        query.remove_prefix(std::min(end + 1, query.size()));
    }
    return std::nullopt;
}

std::size_t mostConnections() {
#ifdef _WIN32
    return mostConnectionsWanted;
#else
    // Desktops often let a program open 1024 files unless it asks for more.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < files.rlim_max) {
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, 65536);
        ::setrlimit(RLIMIT_NOFILE, &files);
        ::getrlimit(RLIMIT_NOFILE, &files);
    }
    const std::size_t open = files.rlim_cur > 128 ? std::size_t(files.rlim_cur) - 64 : 64;
    return std::min(mostConnectionsWanted, open);
#endif
}

} // namespace

class EditServer::Impl {
public:
    Impl(LiveWorld& world, unsigned short port, std::string token)
        : world_(world), token_(std::move(token)), acceptor_(io_), idle_(io_), settle_(io_),
          pulse_(io_), retry_(io_), mostConnections_(mostConnections()),
          watch_([this](std::vector<FolderWatch::Change> changes) {
              asio::post(io_, [this, changes = std::move(changes)] { noteChanges(changes); });
          }) {
        const tcp::endpoint where(asio::ip::make_address_v4("127.0.0.1"), port);
        beast::error_code error;
        acceptor_.open(where.protocol(), error);
        if (!error) {
            acceptor_.bind(where, error);
        }
        if (!error) {
            acceptor_.listen(asio::socket_base::max_listen_connections, error);
        }
        if (error) {
            throw std::runtime_error("cannot listen on 127.0.0.1 port " + std::to_string(port) +
                                     ": " + error.message());
        }
        port_ = acceptor_.local_endpoint().port();
        host_ = "127.0.0.1:" + std::to_string(port_);
        otherHost_ = "localhost:" + std::to_string(port_);
        const std::string nonce = freshToken();
        page_ = editorPage(token_, nonce);
        pagePolicy_ = editorPagePolicy(nonce);
    }

    std::string url() const { return "http://" + host_ + "/?token=" + token_; }

    void run() {
        watch_.watch(world_.folder());
        accept();
        armIdle(firstPageGrace);
        beat();
        listenForTheEnd();
        io_.run();
        ended();
    }

private:
    class Connection;
    enum class State { Reading, Answering, Streaming, Closed };

    LiveWorld& world_;
    std::string token_;
    std::list<std::weak_ptr<Connection>> connections_; // oldest first; outlives io_'s handlers
    asio::io_context io_;
    tcp::acceptor acceptor_;
    asio::steady_timer idle_;
    asio::steady_timer settle_;
    asio::steady_timer pulse_;
    asio::steady_timer retry_;
    std::size_t mostConnections_;
    unsigned short port_ = 0;
    std::string host_;
    std::string otherHost_;
    std::string page_;
    std::string pagePolicy_;
    std::size_t pages_ = 0;
    bool stopping_ = false;
    bool settling_ = false;
    std::vector<FolderWatch::Change> pending_;
    std::vector<std::string> outside_;
#ifdef _WIN32
    // What the console's handler, on a thread of Windows', knows of the server: statics, so that
    // they outlive it.
    static std::mutex endLock_;
    static std::condition_variable endSignal_;
    static Impl* running_; // none once the server has ended
#else
    std::optional<asio::signal_set> signals_;
#endif
    FolderWatch watch_; // last: its thread goes before anything it posts to

    class Connection : public std::enable_shared_from_this<Connection> {
    public:
        Connection(Impl& server, tcp::socket socket)
            : server_(server), stream_(std::move(socket)) {}

        void start(std::list<std::weak_ptr<Connection>>::iterator place) {
            place_ = place;
            read();
        }

        ~Connection() { server_.connections_.erase(place_); }

        State state() const { return state_; }

        void close() {
            if (state_ == State::Closed) {
                return;
            }
            const bool wasPage = state_ == State::Streaming;
            state_ = State::Closed;
            beast::error_code ignored;
            stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
            stream_.close();
            if (wasPage) {
                server_.pageGone();
            }
        }

        void reply(Response&& response, bool closeAfter = false) {
            state_ = State::Answering;
            auto kept = std::make_shared<Response>(std::move(response));
            http::async_write(stream_, *kept,
                              [self = shared_from_this(), kept, closeAfter](beast::error_code error,
                                                                            std::size_t) {
                                  if (error || !kept->keep_alive()) {
                                      self->close();
                                  } else if (closeAfter) {
                                      self->closeAfterReading();
                                  } else if (self->state_ != State::Closed) {
                                      self->read();
                                  }
                              });
        }

        // Closes once the client has stopped sending (a body refused, say), but no later than a
        // second from now: closed at once, the rest of its request would reset the connection
        // and the answer could be lost before the client reads it.
        void closeAfterReading() {
            beast::error_code ignored;
            stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
            stream_.expires_after(std::chrono::seconds(1));
            stream_.async_read_some(asio::buffer(sink_), [self = shared_from_this()](
                                                             beast::error_code error, std::size_t) {
                if (error) {
                    self->close();
                } else {
                    self->closeAfterReading();
                }
            });
        }

        // Turns the connection into a stream of events: a page is open while it lasts.
        void stream(const std::string& firstEvent) {
            state_ = State::Streaming;
            stream_.expires_never();
            send("HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\n"
                 "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\n"
                 "Connection: keep-alive\r\n\r\n" +
                 firstEvent);
            // A page sends nothing more: whatever comes is the end of it.
            stream_.async_read_some(
                asio::buffer(sink_),
                [self = shared_from_this()](beast::error_code, std::size_t) { self->close(); });
        }

        void send(std::string text) {
            if (state_ != State::Streaming) {
                return;
            }
            queue_.push_back(std::move(text));
            if (queue_.size() == 1) {
                writeNext();
            }
        }

    private:
        Impl& server_;
        beast::tcp_stream stream_;
        beast::flat_buffer buffer_;
        std::optional<http::request_parser<http::string_body>> parser_;
        std::list<std::weak_ptr<Connection>>::iterator place_;
        State state_ = State::Reading;
        std::deque<std::string> queue_;
        std::array<char, 4096> sink_{};

        void read() {
            state_ = State::Reading;
            parser_.emplace();
            parser_->body_limit(largestBody);
            parser_->header_limit(largestHeader);
            stream_.expires_after(requestTime);
            http::async_read(stream_, buffer_, *parser_,
                             [self = shared_from_this()](beast::error_code error, std::size_t) {
                                 self->received(error);
                             });
        }

        void received(beast::error_code error) {
            if (state_ == State::Closed) {
                return;
            }
            if (error == http::error::body_limit || error == http::error::header_limit) {
                const bool body = error == http::error::body_limit;
                Request request; // what came of it is not whole: answered as HTTP/1.1, and closed
                request.version(11);
                reply(sentence(request,
                               body ? http::status::payload_too_large
                                    : http::status::request_header_fields_too_large,
                               body ? "A request may be 1 MiB at most."
                                    : "A request's header may be 16 KiB at most."),
                      true);
                return;
            }
            if (error) {
                close(); // gone, too slow, or not HTTP
                return;
            }
            state_ = State::Answering;
            server_.respond(*this, parser_->release());
        }

        void writeNext() {
            asio::async_write(stream_, asio::buffer(queue_.front()),
                              [self = shared_from_this()](beast::error_code error, std::size_t) {
                                  if (error || self->state_ == State::Closed) {
                                      self->close();
                                      return;
                                  }
                                  self->queue_.pop_front();
                                  if (!self->queue_.empty()) {
                                      self->writeNext();
                                  }
                              });
        }
    };

    void accept() {
        acceptor_.async_accept([this](beast::error_code error, tcp::socket socket) {
            if (stopping_) {
                return;
            }
            if (error) {
                // Out of file descriptors, say: room is made by closing the oldest idle
                // connection, and the next try waits a little, so as not to spin.
                closeOldestIdle();
                retry_.expires_after(std::chrono::milliseconds(10));
                retry_.async_wait([this](beast::error_code) { accept(); });
                return;
            }
            if (connections_.size() >= mostConnections_) {
                closeOldestIdle();
            }
            auto connection = std::make_shared<Connection>(*this, std::move(socket));
            connections_.push_back(connection);
            connection->start(std::prev(connections_.end()));
            accept();
        });
    }

    void closeOldestIdle() {
        for (const std::weak_ptr<Connection>& weak : connections_) {
            if (const auto connection = weak.lock();
                connection && connection->state() == State::Reading) {
                connection->close();
                return;
            }
        }
    }

    // Who may ask: the person at this machine, through the page this server gave them.
    std::optional<std::string> refusal(const Request& request) const {
        const std::string_view host = plain(request[http::field::host]);
        if (host != host_ && host != otherHost_) {
            return "This server answers only to the address " + host_ + ".";
        }
        const std::string_view target = plain(request.target());
        const std::optional<std::string_view> inQuery = queryValue(target, "token");
        const std::string_view token = inQuery ? *inQuery : plain(request["Tovren-Token"]);
        if (!sameToken(token, token_)) {
            return "Every request needs the token of the address that tovren-world printed.";
        }
        const std::string_view origin = plain(request[http::field::origin]);
        if (!origin.empty() && origin != "http://" + host_ && origin != "http://" + otherHost_) {
            return "Only the editor's own page may ask this.";
        }
        return std::nullopt;
    }

    void respond(Connection& connection, Request&& request) {
        if (pages_ == 0) {
            armIdle(lastPageGrace);
        }
        if (const std::optional<std::string> why = refusal(request)) {
            connection.reply(sentence(request, http::status::forbidden, *why));
            return;
        }
        const std::string_view target = plain(request.target());
        const std::string_view path = target.substr(0, target.find('?'));
        const http::verb method = request.method();
        const auto only = [&](http::verb allowed) {
            if (method == allowed) {
                return true;
            }
            Response refused = sentence(request, http::status::method_not_allowed,
                                        std::string(path) + " takes only " +
                                            std::string(plain(http::to_string(allowed))) + ".");
            refused.set(http::field::allow, http::to_string(allowed));
            connection.reply(std::move(refused));
            return false;
        };
        if (path == "/") {
            if (only(http::verb::get)) {
                Response page =
                    makeResponse(request, http::status::ok, "text/html; charset=utf-8", page_);
                page.set("Content-Security-Policy", pagePolicy_);
                page.set("X-Frame-Options", "DENY");
                connection.reply(std::move(page));
            }
        } else if (path == "/api/world") {
            if (only(http::verb::get)) {
                connection.reply(makeResponse(request, http::status::ok,
                                              "application/json; charset=utf-8",
                                              world_.document()));
                watchOutside();
            }
        } else if (path == "/api/picture") {
            if (only(http::verb::get)) {
                Response picture = makeResponse(request, http::status::ok,
                                                "image/svg+xml; charset=utf-8", world_.picture());
                picture.set("Tovren-Version", std::to_string(world_.version()));
                connection.reply(std::move(picture));
                watchOutside();
            }
        } else if (path == "/api/events") {
            if (only(http::verb::get)) {
                ++pages_;
                idle_.cancel();
                connection.stream(worldEvent());
            }
        } else if (path == "/api/save") {
            if (only(http::verb::post)) {
                save(connection, request);
            }
        } else {
            connection.reply(sentence(request, http::status::not_found,
                                      "There is nothing at " + std::string(path) + "."));
        }
    }

    void save(Connection& connection, const Request& request) {
        const std::string_view type = plain(request[http::field::content_type]);
        if (!type.starts_with("application/json")) {
            connection.reply(sentence(request, http::status::unsupported_media_type,
                                      "A save is sent as application/json."));
            return;
        }
        const std::variant<SaveRequest, std::string> parsed = parseSaveRequest(request.body());
        if (const std::string* why = std::get_if<std::string>(&parsed)) {
            connection.reply(sentence(request, http::status::bad_request, *why));
            return;
        }
        const std::uint64_t before = world_.version();
        SaveAnswer saved = world_.save(std::get<SaveRequest>(parsed));
        connection.reply(makeResponse(request, static_cast<http::status>(saved.status),
                                      "application/json; charset=utf-8", std::move(saved.body)));
        if (world_.version() != before) {
            broadcast();
        }
    }

    std::string worldEvent() const {
        return "event: world\ndata: {\"version\": " + std::to_string(world_.version()) + "}\n\n";
    }

    template <typename Action> void forEachPage(Action action) {
        for (const std::weak_ptr<Connection>& weak : connections_) {
            if (const auto connection = weak.lock();
                connection && connection->state() == State::Streaming) {
                action(*connection);
            }
        }
    }

    void broadcast() {
        const std::string event = worldEvent();
        forEachPage([&](Connection& page) { page.send(event); });
    }

    void pageGone() {
        if (pages_ > 0 && --pages_ == 0 && !stopping_) {
            armIdle(lastPageGrace);
        }
    }

    void armIdle(std::chrono::steady_clock::duration grace) {
        idle_.expires_after(grace);
        idle_.async_wait([this](beast::error_code error) {
            if (!error && pages_ == 0) {
                stop();
            }
        });
    }

    void beat() {
        pulse_.expires_after(heartbeat);
        pulse_.async_wait([this](beast::error_code error) {
            if (!error) {
                forEachPage([](Connection& page) { page.send(":\n\n"); });
                beat();
            }
        });
    }

    void noteChanges(const std::vector<FolderWatch::Change>& changes) {
        pending_.insert(pending_.end(), changes.begin(), changes.end());
        if (settling_) {
            return;
        }
        settling_ = true;
        settle_.expires_after(settleTime);
        settle_.async_wait([this](beast::error_code error) {
            settling_ = false;
            if (!error) {
                applyChanges();
            }
        });
    }

    void applyChanges() {
        std::vector<FolderWatch::Change> changes;
        changes.swap(pending_);
        const std::uint64_t before = world_.version();
        std::vector<std::string> names;
        bool lost = false;
        bool outside = false;
        for (const FolderWatch::Change& change : changes) {
            lost = lost || (change.lost && change.folder.empty()) ||
                   (change.lost && change.folder == world_.folder());
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
            world_.changed();
        }
        if (world_.version() != before) {
            broadcast();
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
        beast::error_code ignored;
        acceptor_.close(ignored);
        for (const std::weak_ptr<Connection>& weak : connections_) {
            if (const auto connection = weak.lock()) {
                connection->close();
            }
        }
        idle_.cancel();
        settle_.cancel();
        pulse_.cancel();
        retry_.cancel();
        io_.stop();
    }

#ifdef _WIN32
    // Ctrl+C, Ctrl+Break, the console window closing, logging off or shutting down: the server
    // ends as on SIGTERM, and Windows is kept waiting until it has, so that a save in progress
    // completes.
    static BOOL WINAPI consoleEvent(DWORD) {
        std::unique_lock<std::mutex> guard(endLock_);
        if (running_ == nullptr) {
            return FALSE;
        }
        Impl* server = running_;
        asio::post(server->io_, [server] { server->stop(); });
        endSignal_.wait_for(guard, std::chrono::seconds(5), [] { return running_ == nullptr; });
        return TRUE;
    }

    void listenForTheEnd() {
        {
            const std::lock_guard<std::mutex> guard(endLock_);
            running_ = this;
        }
        ::SetConsoleCtrlHandler(&Impl::consoleEvent, TRUE);
    }

    void ended() {
        {
            const std::lock_guard<std::mutex> guard(endLock_);
            running_ = nullptr;
        }
        endSignal_.notify_all();
    }
#else
    void listenForTheEnd() {
        signals_.emplace(io_, SIGINT, SIGTERM);
        signals_->async_wait([this](beast::error_code error, int) {
            if (!error) {
                stop();
            }
        });
    }

    void ended() {}
#endif
};

#ifdef _WIN32
std::mutex EditServer::Impl::endLock_;
std::condition_variable EditServer::Impl::endSignal_;
EditServer::Impl* EditServer::Impl::running_ = nullptr;
#endif

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
