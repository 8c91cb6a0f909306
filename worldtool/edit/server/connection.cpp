#include "worldtool/edit/server/connection.h"

#include "worldtool/edit/http/responses.h"

#include <chrono>

namespace tovren {

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;

constexpr std::size_t largestBody = 1024 * 1024;
constexpr std::size_t largestHeader = 16 * 1024;
constexpr auto requestTime = std::chrono::seconds(30); // to send a whole request, or go

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
    : stream_(std::move(socket)), list_(list), handlers_(handlers) {}

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
    parser_->body_limit(largestBody);
    parser_->header_limit(largestHeader);
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
    if (error == http::error::body_limit || error == http::error::header_limit) {
        const bool body = error == http::error::body_limit;
        Request request; // what came of it is not whole: answered as HTTP/1.1, and closed
        request.version(11);
        reply(refusal(request,
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
            if (error || !kept->keep_alive()) {
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
    send(std::move(start));
    // A page sends nothing more: whatever comes is the end of it.
    stream_.async_read_some(
        asio::buffer(sink_),
        [self = shared_from_this()](beast::error_code, std::size_t) { self->close(); });
}

void Connection::send(std::string event) {
    if (state_ != State::Streaming) {
        return;
    }
    queue_.push_back(std::move(event));
    if (queue_.size() == 1) {
        writeNext();
    }
}

void Connection::writeNext() {
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

} // namespace tovren
