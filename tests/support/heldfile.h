#pragma once

#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tovren::testing {

// A file held, while this lives, as another program's save holds it: others may read it, but
// neither a save nor a load that waits for saves gets it.
class HeldFile {
public:
    explicit HeldFile(const std::string& path) {
#ifdef _WIN32
        file_ = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        file_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        ::flock(file_, LOCK_EX);
#endif
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile() {
#ifdef _WIN32
        ::CloseHandle(file_);
#else
        ::close(file_);
#endif
    }

private:
#ifdef _WIN32
    HANDLE file_;
#else
    int file_;
#endif
};

} // namespace tovren::testing
