#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif
#include <string>

namespace tovren::testing {

// A file held, while this lives, as another program's save holds it: others may read it, but
// neither a save nor a load that waits for saves gets it.
#ifdef _WIN32
struct HeldFile {
    HANDLE file;
    explicit HeldFile(const std::string& path)
        : file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldFile() { ::CloseHandle(file); }
};
#else
struct HeldFile {
    int file;
    explicit HeldFile(const std::string& path) : file(::open(path.c_str(), O_RDWR | O_CLOEXEC)) {
        ::flock(file, LOCK_EX);
    }
    ~HeldFile() { ::close(file); }
};
#endif

} // namespace tovren::testing
