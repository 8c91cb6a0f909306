#pragma once

#include "worldtool/edit/server/beast.h"
#include "worldtool/edit/server/connection.h"

#include <chrono>
#include <functional>
#include <string>

namespace tovren {

// The pages open on the server, each a connection that streams events to it: the news of the
// world sent to all of them, a heartbeat that finds the pages that went without a word, and the
// end of the server once no page has been open for a while: 30 s after the last page has gone
// (a reload comes within it), 2 minutes before the first page comes (a browser may be slow to
// start).
class Pages {
public:
    Pages(boost::asio::io_context& io, ConnectionList& connections, std::function<void()> end);

    void start();
    void stop();

    // A connection becomes a page's stream of events, which begins with `start`.
    void open(Connection& connection, std::string start);
    // A page's stream has ended.
    void gone();
    // A request was answered: with no page open, the wait for one starts again.
    void asked();

    void tell(const std::string& event);

private:
    ConnectionList& connections_;
    boost::asio::steady_timer idle_;
    boost::asio::steady_timer pulse_;
    std::function<void()> end_;
    std::size_t open_ = 0;
    bool stopped_ = false;

    void waitForAPage(std::chrono::steady_clock::duration grace);
    void beat();
};

} // namespace tovren
