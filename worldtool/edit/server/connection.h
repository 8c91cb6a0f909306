#pragma once

#include "worldtool/edit/http/message.h"
#include "worldtool/edit/http/responses.h"
#include "worldtool/edit/server/beast.h"

#include <array>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

namespace tovren {

class Connection;

// The server's open connections, oldest first. Each connection takes itself off when it goes.
class ConnectionList {
public:
    using Place = std::list<std::weak_ptr<Connection>>::iterator;

    Place add(const std::shared_ptr<Connection>& connection);
    void remove(Place place) { connections_.erase(place); }
    std::size_t size() const { return connections_.size(); }

    // Makes room: the connection that has waited longest for a request is closed.
    void closeOldestIdle();
    void closeAll();
    template <typename Action> void forEach(Action action) {
        for (const std::weak_ptr<Connection>& weak : connections_) {
            if (const std::shared_ptr<Connection> connection = weak.lock()) {
                action(*connection);
            }
        }
    }

private:
    std::list<std::weak_ptr<Connection>> connections_;
};

// One connection of a client: it reads a request, hands it on, and writes the answer it is
// given, one after another, until it is closed; or it becomes a stream of events for a page,
// which is written to until either side ends it. A request must come whole within 30 s. A
// stream holds at most the event being written and the newest after it (all a page needs), and
// is closed when a write has waited 30 s for the page to read.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    enum class State { Reading, Answering, Streaming, Closed };
    struct Handlers {
        // A whole request has come; the connection waits for reply() or stream().
        std::function<void(const std::shared_ptr<Connection>&, Request&&)> received;
        std::function<void()> streamEnded;
    };

    Connection(boost::asio::ip::tcp::socket socket, ConnectionList& list, const Handlers& handlers);
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    void start(); // reads the first request
    State state() const { return state_; }

    // Writes the answer, then reads the next request, or closes if the answer says so. With
    // closeAfter, it closes once the client has stopped sending (a body refused, say).
    void reply(Response&& response, bool closeAfter = false);

    // Turns the connection into a stream of events that starts with this text.
    void stream(std::string start);
    // Sends an event, if the connection is a stream; one that only shows the page is there is
    // dropped when another waits.
    void send(std::string event, bool onlyALifeSign = false);

    // Closes once the answer being made and written is out, rather than reading on.
    void endAfterAnswer() { ending_ = true; }
    void close();

private:
    boost::beast::tcp_stream stream_;
    ConnectionList& list_;
    std::optional<ConnectionList::Place> place_; // once started
    const Handlers& handlers_;
    boost::beast::flat_buffer buffer_;
    std::optional<RequestParser> parser_;
    State state_ = State::Reading;
    bool ending_ = false;
    std::string writing_;                // the event being written
    std::optional<std::string> waiting_; // the newest after it
    boost::asio::steady_timer writeTime_;
    std::array<char, 4096> sink_{};

    void read();
    void received(boost::beast::error_code error);
    void closeAfterReading();
};

} // namespace tovren
