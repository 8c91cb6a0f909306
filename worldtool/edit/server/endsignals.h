#pragma once

#include "worldtool/edit/server/beast.h"

#include <functional>
#include <optional>

namespace tovren {

// What tells the server to end from outside: SIGINT, SIGTERM and SIGHUP; on Windows, Ctrl+C,
// Ctrl+Break, the console window closing, logging off and shutting down. `stop` is called on the
// server's own thread. Windows ends a program as soon as its handler returns: the handler waits
// until the server has ended (ended(), or this being destroyed), so that a save in progress
// completes.
class EndSignals {
public:
    EndSignals(boost::asio::io_context& io, std::function<void()> stop);
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;
    ~EndSignals();

    void ended();

private:
#ifndef _WIN32
    std::optional<boost::asio::signal_set> signals_;
#endif
};

} // namespace tovren
