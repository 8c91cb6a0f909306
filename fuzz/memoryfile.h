#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>

namespace tovren::fuzz {

// A file in memory with a path, so the real load and save run without touching the disk.
class MemoryFile {
public:
    MemoryFile() : descriptor_(::memfd_create("link", MFD_CLOEXEC)) {
        if (descriptor_ < 0) {
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(descriptor_);
    }

    const std::string& path() const { return path_; }

    void fill(std::string_view bytes) {
        if (::ftruncate(descriptor_, 0) != 0 ||
            ::pwrite(descriptor_, bytes.data(), bytes.size(), 0) !=
                static_cast<ssize_t>(bytes.size())) {
            std::abort();
        }
    }

private:
    int descriptor_;
    std::string path_;
};

} // namespace tovren::fuzz
