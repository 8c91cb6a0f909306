// Watching folders with inotify: one descriptor for every folder, read on a thread that waits in
// poll() for it or for the word to stop.
#include "worldtool/edit/server/folderwatch.h"

#include <array>
#include <cerrno>
#include <climits>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace tovren {

namespace {

constexpr std::string_view linkExtension = ".link";

// Made, written and closed, moved in or out, removed, or its kind or rights changed.
constexpr std::uint32_t watched = IN_CLOSE_WRITE | IN_MODIFY | IN_CREATE | IN_DELETE |
                                  IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB | IN_DELETE_SELF |
                                  IN_MOVE_SELF;

} // namespace

class FolderWatch::Host {
public:
    explicit Host(Changed changed)
        : changed_(std::move(changed)), notifications_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)),
          stop_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
        if (notifications_ != -1 && stop_ != -1) {
            thread_ = std::thread([this] { listen(); });
        }
    }

    ~Host() {
        if (thread_.joinable()) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = ::write(stop_, &one, sizeof one);
            thread_.join();
        }
        for (const int descriptor : {notifications_, stop_}) {
            if (descriptor != -1) {
                ::close(descriptor);
            }
        }
    }

    bool watch(const std::string& folder) {
        if (notifications_ == -1) {
            return false;
        }
        const std::lock_guard<std::mutex> guard(lock_);
        const int watch = ::inotify_add_watch(notifications_, folder.c_str(), watched);
        if (watch == -1) {
            return false;
        }
        folders_[watch] = folder;
        return true;
    }

    void forget(const std::string& folder) {
        const std::lock_guard<std::mutex> guard(lock_);
        for (auto watched = folders_.begin(); watched != folders_.end(); ++watched) {
            if (watched->second == folder) {
                ::inotify_rm_watch(notifications_, watched->first);
                folders_.erase(watched);
                return;
            }
        }
    }

private:
    Changed changed_;
    int notifications_;
    int stop_;
    std::mutex lock_;
    std::map<int, std::string> folders_; // by watch descriptor
    std::thread thread_;

    void listen() {
        alignas(inotify_event) std::array<char, 64 * 1024> buffer{};
        for (;;) {
            std::array<pollfd, 2> waiting{{{notifications_, POLLIN, 0}, {stop_, POLLIN, 0}}};
            if (::poll(waiting.data(), waiting.size(), -1) == -1) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if ((waiting[1].revents & POLLIN) != 0) {
                return;
            }
            const ssize_t length = ::read(notifications_, buffer.data(), buffer.size());
            if (length <= 0) {
                continue; // EAGAIN or EINTR
            }
            std::vector<Change> changes;
            {
                const std::lock_guard<std::mutex> guard(lock_);
                for (ssize_t at = 0; at < length;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                    told(*event, changes);
                }
            }
            if (!changes.empty()) {
                changed_(std::move(changes));
            }
        }
    }

    void told(const inotify_event& event, std::vector<Change>& changes) {
        if ((event.mask & IN_Q_OVERFLOW) != 0) {
            changes.push_back({"", "", true});
            return;
        }
        const auto folder = folders_.find(event.wd);
        if (folder == folders_.end()) {
            return;
        }
        if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) != 0) {
            changes.push_back({folder->second, "", true}); // the folder itself went
            return;
        }
        const std::string_view name(event.len > 0 ? event.name : "");
        const std::string_view shortName = name.substr(0, name.find('\0'));
        if (shortName.ends_with(linkExtension)) {
            changes.push_back(
                {folder->second,
                 std::string(shortName.substr(0, shortName.size() - linkExtension.size())), false});
        }
    }
};

FolderWatch::FolderWatch(Changed changed) : host_(std::make_unique<Host>(std::move(changed))) {}

FolderWatch::~FolderWatch() = default;

bool FolderWatch::watch(const std::string& folder) {
    return host_->watch(folder);
}

void FolderWatch::forget(const std::string& folder) {
    host_->forget(folder);
}

} // namespace tovren
