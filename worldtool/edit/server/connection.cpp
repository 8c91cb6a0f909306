#include "worldtool/edit/server/connection.h"

#include "worldtool/edit/http/responses.h"

#include <chrono>

namespace tovren {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;

constexpr auto requestTime = std::chrono::seconds(30); // to send a whole request, or go
constexpr auto readingTime = std::chrono::seconds(30); // for a page to read an event, or go
constexpr int streamBuffer = 16 * 1024; // what the system holds for a page that does not read

} // namespace

ConnectionList::Place ConnectionList::add(const std::shared_ptr<Connection>& connection) {
    connections_.push_back(connection);
    return std::prev(connections_.end());
}

void ConnectionList::closeOldestIdle() {
    for (const std::weak_ptr<Connection>& weak : connections_) {
        if (const auto connection = weak.lock();
            connection && connection->state() == Connection::State::Reading) {
            connection->close();
            return;
        }
    }
}

void ConnectionList::closeAll() {
    forEach([](Connection& connection) { connection.close(); });
}

Connection::Connection(tcp::socket socket, ConnectionList& list, const Handlers& handlers)
    : stream_(std::move(socket)), list_(list), handlers_(handlers),
      writeTime_(stream_.get_executor()) {}

Connection::~Connection() {
    if (place_) {
        list_.remove(*place_);
    }
}

void Connection::start() {
    place_ = list_.add(shared_from_this());
    read();
}

void Connection::close() {
    if (state_ == State::Closed) {
        return;
    }
    const bool wasStream = state_ == State::Streaming;
    state_ = State::Closed;
    writeTime_.cancel();
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.close();
    if (wasStream) {
        handlers_.streamEnded();
    }
}

void Connection::read() {
    state_ = State::Reading;
    parser_.emplace();
    limitRequest(*parser_);
    stream_.expires_after(requestTime);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code error, std::size_t) {
                         self->received(error);
                     });
}

void Connection::received(beast::error_code error) {
    if (state_ == State::Closed) {
        return;
    }
    if (std::optional<Response> answer = unreadableAnswer(error)) {
        reply(std::move(*answer), true); // and closed: the rest of it cannot be read
        return;
    }
    if (error) {
        close(); // gone, or too slow
        return;
    }
    state_ = State::Answering;
    handlers_.received(shared_from_this(), parser_->release());
}

void Connection::reply(Response&& response, bool closeAfter) {
    if (state_ == State::Closed) {
        return;
    }
    state_ = State::Answering;
    auto kept = std::make_shared<Response>(std::move(response));
    http::async_write(
        stream_, *kept,
        [self = shared_from_this(), kept, closeAfter](beast::error_code error, std::size_t) {
            if (error || !kept->keep_alive() || self->ending_) {
                self->close();
            } else if (closeAfter) {
                self->closeAfterReading();
            } else if (self->state_ != State::Closed) {
                self->read();
            }
        });
}

// Closed at once, the rest of the client's request would reset the connection and the answer
// could be lost before the client reads it: it is closed once the client has stopped sending,
// but no later than a second from now.
void Connection::closeAfterReading() {
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
    stream_.expires_after(std::chrono::seconds(1));
    stream_.async_read_some(asio::buffer(sink_),
                            [self = shared_from_this()](beast::error_code error, std::size_t) {
                                if (error) {
                                    self->close();
                                } else {
                                    self->closeAfterReading();
                                }
                            });
}

void Connection::stream(std::string start) {
    state_ = State::Streaming;
    stream_.expires_never();
    beast::error_code ignored;
    stream_.socket().set_option(asio::socket_base::send_buffer_size(streamBuffer), ignored);
    send(std::move(start));
    // A page sends nothing more: whatever comes is the end of it.
    stream_.async_read_some(
        asio::buffer(sink_),
        [self = shared_from_this()](beast::error_code, std::size_t) { self->close(); });
}

void Connection::send(std::string event, bool onlyALifeSign) {
    if (state_ != State::Streaming || (onlyALifeSign && (waiting_ || !writing_.empty()))) {
        return;
    }
    if (!writing_.empty()) {
        waiting_ = std::move(event); // what waited before is out of date
        return;
    }
    writing_ = std::move(event);
    writeTime_.expires_after(readingTime);
    writeTime_.async_wait([self = shared_from_this()](beast::error_code error) {
        if (!error) {
            self->close(); // the page has not read for so long: it has gone without a word
        }
    });
    asio::async_write(stream_, asio::buffer(writing_),
                      [self = shared_from_this()](beast::error_code error, std::size_t) {
                          self->writing_.clear();
                          self->writeTime_.cancel();
                          if (error || self->state_ == State::Closed) {
                              self->close();
                          } else if (self->waiting_) {
                              std::string next = std::move(*self->waiting_);
                              self->waiting_.reset();
                              self->send(std::move(next));
                          }
                      });
}

} // namespace tovren
