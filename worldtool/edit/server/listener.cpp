#include "worldtool/edit/server/listener.h"

#include <stdexcept>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace tovren {

namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

constexpr std::size_t mostConnectionsWanted = 4000;

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

Listener::Listener(asio::io_context& io, unsigned short port, ConnectionList& connections,
                   const Connection::Handlers& handlers)
    : acceptor_(io), retry_(io), connections_(connections), handlers_(handlers),
      mostConnections_(mostConnections()) {
    const tcp::endpoint where(asio::ip::make_address_v4("127.0.0.1"), port);
    boost::beast::error_code error;
    acceptor_.open(where.protocol(), error);
    if (!error) {
        acceptor_.bind(where, error);
    }
    if (!error) {
        acceptor_.listen(asio::socket_base::max_listen_connections, error);
    }
    if (error) {
        throw std::runtime_error("cannot listen on 127.0.0.1 port " + std::to_string(port) + ": " +
                                 error.message());
    }
    port_ = acceptor_.local_endpoint().port();
}

void Listener::stop() {
    stopped_ = true;
    boost::beast::error_code ignored;
    acceptor_.close(ignored);
    retry_.cancel();
}

void Listener::accept() {
    acceptor_.async_accept([this](boost::beast::error_code error, tcp::socket socket) {
        if (stopped_) {
            return;
        }
        if (error) {
            // Out of file descriptors, say: room is made, and the next try waits a little, so
            // as not to spin.
            connections_.closeOldestIdle();
            retry_.expires_after(std::chrono::milliseconds(10));
            retry_.async_wait([this](boost::beast::error_code) { accept(); });
            return;
        }
        if (connections_.size() >= mostConnections_) {
            connections_.closeOldestIdle();
        }
        std::make_shared<Connection>(std::move(socket), connections_, handlers_)->start();
        accept();
    });
}

} // namespace tovren
