#include "worldtool/edit/server/pages.h"

#include "worldtool/edit/http/responses.h"

namespace tovren {

namespace {

constexpr auto lastPageGrace = std::chrono::seconds(30);
constexpr auto firstPageGrace = std::chrono::minutes(2);
constexpr auto heartbeat = std::chrono::seconds(20);

} // namespace

Pages::Pages(boost::asio::io_context& io, ConnectionList& connections, std::function<void()> end)
    : connections_(connections), idle_(io), pulse_(io), end_(std::move(end)) {}

void Pages::start() {
    waitForAPage(firstPageGrace);
    beat();
}

void Pages::stop() {
    stopped_ = true;
    idle_.cancel();
    pulse_.cancel();
}

void Pages::open(Connection& connection, std::string start) {
    ++open_;
    idle_.cancel();
    connection.stream(std::move(start));
}

void Pages::gone() {
    if (open_ > 0 && --open_ == 0 && !stopped_) {
        waitForAPage(lastPageGrace);
    }
}

void Pages::asked() {
    if (open_ == 0 && !stopped_) {
        waitForAPage(lastPageGrace);
    }
}

void Pages::tell(const std::string& event) {
    connections_.forEach([&](Connection& connection) { connection.send(event); });
}

void Pages::waitForAPage(std::chrono::steady_clock::duration grace) {
    idle_.expires_after(grace);
    idle_.async_wait([this](boost::beast::error_code error) {
        if (!error && open_ == 0) {
            end_();
        }
    });
}

void Pages::beat() {
    pulse_.expires_after(heartbeat);
    pulse_.async_wait([this](boost::beast::error_code error) {
        if (!error) {
            connections_.forEach(
                [](Connection& connection) { connection.send(std::string(heartbeatEvent), true); });
            beat();
        }
    });
}

} // namespace tovren
