// Watching folders with ReadDirectoryChangesW: a thread for each folder, which waits for the
// folder's news or for the word to stop.
#include "worldtool/edit/server/folderwatch.h"

#include "linkstore/windows/widetext.h"

#include <array>
#include <list>
#include <mutex>
#include <thread>
#include <windows.h>

namespace tovren {

namespace {

constexpr std::wstring_view linkExtension = L".link";

bool endsWithLinkExtension(std::wstring_view name) {
    if (name.size() < linkExtension.size()) {
        return false;
    }
    const std::wstring_view end = name.substr(name.size() - linkExtension.size());
    return ::CompareStringOrdinal(end.data(), static_cast<int>(end.size()), linkExtension.data(),
                                  static_cast<int>(linkExtension.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

class FolderWatch::Host {
public:
    explicit Host(Changed changed) : changed_(std::move(changed)) {}

    ~Host() {
        for (Watched& watched : watched_) {
            end(watched);
        }
    }

    bool watch(const std::string& folder) {
        const std::lock_guard<std::mutex> guard(lock_);
        for (const Watched& watched : watched_) {
            if (watched.folder == folder) {
                return true;
            }
        }
        const HANDLE handle = ::CreateFileW(
            toWide(folder).c_str(), FILE_LIST_DIRECTORY,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        Watched& watched = watched_.emplace_back();
        watched.folder = folder;
        watched.stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        watched.thread = std::thread(
            [this, handle, folder, stop = watched.stop] { listen(handle, folder, stop); });
        return true;
    }

    void forget(const std::string& folder) {
        const std::lock_guard<std::mutex> guard(lock_);
        for (auto watched = watched_.begin(); watched != watched_.end(); ++watched) {
            if (watched->folder == folder) {
                end(*watched);
                watched_.erase(watched);
                return;
            }
        }
    }

private:
    // A folder watched by a thread of its own, until told to stop.
    struct Watched {
        std::string folder;
        HANDLE stop = nullptr;
        std::thread thread;
    };

    Changed changed_;
    std::mutex lock_;
    std::list<Watched> watched_;

    static void end(Watched& watched) {
        ::SetEvent(watched.stop);
        watched.thread.join();
        ::CloseHandle(watched.stop);
    }

    void listen(HANDLE folder, const std::string& name, HANDLE stop) {
        alignas(DWORD) std::array<char, 64 * 1024> buffer{};
        const HANDLE arrived = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        for (;;) {
            OVERLAPPED overlapped{};
            overlapped.hEvent = arrived;
            ::ResetEvent(arrived);
            if (!::ReadDirectoryChangesW(
                    folder, buffer.data(), static_cast<DWORD>(buffer.size()), FALSE,
                    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                        FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE |
                        FILE_NOTIFY_CHANGE_ATTRIBUTES,
                    nullptr, &overlapped, nullptr)) {
                break;
            }
            const std::array<HANDLE, 2> waiting{arrived, stop};
            if (::WaitForMultipleObjects(2, waiting.data(), FALSE, INFINITE) != WAIT_OBJECT_0) {
                ::CancelIoEx(folder, &overlapped);
                DWORD ignored = 0;
                ::GetOverlappedResult(folder, &overlapped, &ignored, TRUE);
                break;
            }
            DWORD length = 0;
            if (!::GetOverlappedResult(folder, &overlapped, &length, FALSE)) {
                break;
            }
            std::vector<Change> changes;
            if (length == 0) {
                changes.push_back({name, "", true}); // more news than the buffer held
            }
            for (DWORD at = 0; length > 0;) {
                const auto* news =
                    reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer.data() + at);
                const std::wstring_view file(news->FileName,
                                             news->FileNameLength / sizeof(wchar_t));
                if (endsWithLinkExtension(file)) {
                    changes.push_back(
                        {name,
                         fromWide(std::wstring(file.substr(0, file.size() - linkExtension.size()))),
                         false});
                }
                if (news->NextEntryOffset == 0) {
                    break;
                }
                at += news->NextEntryOffset;
            }
            if (!changes.empty()) {
                changed_(std::move(changes));
            }
        }
        ::CloseHandle(arrived);
        ::CloseHandle(folder);
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
