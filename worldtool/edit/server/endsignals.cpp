#include "worldtool/edit/server/endsignals.h"

#ifdef _WIN32
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <windows.h>
#else
#include <csignal>
#endif

namespace tovren {

#ifdef _WIN32

namespace {

// What the console's handler, on a thread of Windows', knows of the server: statics, so that
// they outlive it.
std::mutex endLock;
std::condition_variable endSignal;
std::function<void()> stopRunning; // empty once the server has ended

BOOL WINAPI consoleEvent(DWORD) {
    std::unique_lock<std::mutex> guard(endLock);
    if (!stopRunning) {
        return FALSE;
    }
    stopRunning();
    endSignal.wait_for(guard, std::chrono::seconds(5), [] { return !stopRunning; });
    return TRUE;
}

} // namespace

EndSignals::EndSignals(boost::asio::io_context& io, std::function<void()> stop) {
    {
        const std::lock_guard<std::mutex> guard(endLock);
        stopRunning = [&io, stop = std::move(stop)] {
            boost::asio::post(io, stop);
        };
    }
    ::SetConsoleCtrlHandler(&consoleEvent, TRUE);
}

void EndSignals::ended() {
    {
        const std::lock_guard<std::mutex> guard(endLock);
        stopRunning = nullptr;
    }
    endSignal.notify_all();
}

#else

EndSignals::EndSignals(boost::asio::io_context& io, std::function<void()> stop) {
    // SIGHUP: the terminal it runs in was closed.
    signals_.emplace(io, SIGINT, SIGTERM, SIGHUP);
    signals_->async_wait([stop = std::move(stop)](boost::beast::error_code error, int) {
        if (!error) {
            stop();
        }
    });
}

void EndSignals::ended() {}

#endif

EndSignals::~EndSignals() {
    ended();
}

} // namespace tovren
