// Start-up time, from exec to the window visible and painted, and peak resident memory.
// Watches the X server: every new top-level window gets a DAMAGE object, and the program counts
// as started once a mapped window's painted area covers the whole window.
//
// Usage: startup_bench RUNS COMMAND... (DISPLAY must name a running X server)
// Each COMMAND is a program and its arguments in one word, separated by blanks. The commands
// are run in turn, interleaved, RUNS times each; medians are printed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double milliseconds;
    long peakResidentKiB;
};

struct WatchedWindow {
    int width = 0;
    int height = 0;
    bool mapped = false;
    xcb_rectangle_t painted{0, 0, 0, 0}; // bounding box of what was drawn so far
};

class XServer {
public:
    XServer() : connection_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(connection_) != 0) {
            throw std::runtime_error("cannot connect to the X server in DISPLAY");
        }
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const xcb_query_extension_reply_t* damage =
            xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || damage->present == 0) {
            throw std::runtime_error("the X server has no DAMAGE extension");
        }
        damageEvent_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_,
                                            xcb_damage_query_version(connection_, 1, 1), nullptr));
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~XServer() { xcb_disconnect(connection_); }

    // Waits until a new top-level window is mapped and fully painted, or the timeout passes.
    bool waitForPaintedWindow(Clock::time_point deadline) {
        std::map<xcb_window_t, WatchedWindow> windows;
        while (Clock::now() < deadline) {
            std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(
                xcb_poll_for_event(connection_), &free);
            if (!event) {
                pollfd descriptor{xcb_get_file_descriptor(connection_), POLLIN, 0};
                ::poll(&descriptor, 1, 5);
                continue;
            }
            const uint8_t type = event->response_type & 0x7F;
            if (type == XCB_CREATE_NOTIFY) {
                auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event.get());
                windows[created->window] = {created->width, created->height, false, {}};
                xcb_damage_create(connection_, xcb_generate_id(connection_), created->window,
                                  XCB_DAMAGE_REPORT_LEVEL_BOUNDING_BOX);
                xcb_flush(connection_);
            } else if (type == XCB_MAP_NOTIFY) {
                auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
                windows[mapped->window].mapped = true;
            } else if (type == XCB_CONFIGURE_NOTIFY) {
                auto* configured = reinterpret_cast<xcb_configure_notify_event_t*>(event.get());
                auto& window = windows[configured->window];
                window.width = configured->width;
                window.height = configured->height;
            } else if (type == damageEvent_) {
                auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event.get());
                auto& window = windows[damage->drawable];
                window.painted = damage->area;
                if (window.mapped && window.width > 1 && window.painted.x == 0 &&
                    window.painted.y == 0 && window.painted.width >= window.width &&
                    window.painted.height >= window.height) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
    uint8_t damageEvent_;
};

std::vector<std::string> words(const std::string& command) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < command.size()) {
        const std::size_t end = std::min(command.find(' ', start), command.size());
        if (end > start) {
            result.push_back(command.substr(start, end - start));
        }
        start = end + 1;
    }
    return result;
}

Run runOnce(const std::string& command) {
    XServer server;
    std::vector<std::string> parts = words(command);
    std::vector<char*> arguments;
    for (std::string& part : parts) {
        arguments.push_back(part.data());
    }
    arguments.push_back(nullptr);
    const std::string& program = parts.front();
    const auto start = Clock::now();
    pid_t child = 0;
    if (::posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + program);
    }
    const bool painted = server.waitForPaintedWindow(start + std::chrono::seconds(30));
    const auto end = Clock::now();
    ::kill(child, SIGKILL);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (!painted) {
        throw std::runtime_error(program + " showed no painted window within 30 s");
    }
    return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss};
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS COMMAND...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const std::vector<std::string> programs(argv + 2, argv + argc);
    std::vector<std::vector<double>> times(programs.size());
    std::vector<std::vector<long>> memory(programs.size());
    try {
        for (int run = 0; run < runs; ++run) {
            for (std::size_t i = 0; i < programs.size(); ++i) {
                // Alternate the order so neither program always runs on a warmer machine.
                const std::size_t which = run % 2 == 0 ? i : programs.size() - 1 - i;
                const Run result = runOnce(programs[which]);
                times[which].push_back(result.milliseconds);
                memory[which].push_back(result.peakResidentKiB);
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "startup_bench: %s\n", error.what());
        return 1;
    }
    std::printf("%-40s %12s %16s\n", "program", "median ms", "median peak KiB");
    for (std::size_t i = 0; i < programs.size(); ++i) {
        std::printf("%-40s %12.1f %16ld\n", programs[i].c_str(), median(times[i]),
                    median(memory[i]));
    }
    for (std::size_t i = 1; i < programs.size(); ++i) {
        std::printf("ratio %s / %s: time %.3f, peak memory %.3f\n", programs[0].c_str(),
                    programs[i].c_str(), median(times[0]) / median(times[i]),
                    static_cast<double>(median(memory[0])) /
                        static_cast<double>(median(memory[i])));
    }
    return 0;
}
