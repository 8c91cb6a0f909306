#pragma once

#include "worldtool/edit/server/beast.h"
#include "worldtool/edit/server/connection.h"

namespace tovren {

// Listens on 127.0.0.1 and opens a connection for each client, as many side by side as the
// system lets the program keep open (4000 at most); past that, or where the system has no room
// left, the oldest connection still waiting for a request is closed to make room.
class Listener {
public:
    // On the port given, or one the system picks (0). Throws std::runtime_error where it cannot.
    Listener(boost::asio::io_context& io, unsigned short port, ConnectionList& connections,
             const Connection::Handlers& handlers);

    unsigned short port() const { return port_; }
    void start() { accept(); }
    void stop();

private:
    boost::asio::ip::tcp::acceptor acceptor_;
    boost::asio::steady_timer retry_;
    ConnectionList& connections_;
    const Connection::Handlers& handlers_;
    std::size_t mostConnections_;
    unsigned short port_ = 0;
    bool stopped_ = false;

    void accept();
};

} // namespace tovren
