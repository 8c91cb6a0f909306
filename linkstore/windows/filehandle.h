#pragma once

#include <windows.h>

namespace tovren {

// Owns a file handle and closes it when it goes out of scope, so no path through a save or
// load leaves a file open. release() hands it over for a close whose result matters.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) noexcept : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : handle_(other.release()) {}
    FileHandle& operator=(FileHandle&&) = delete;
    ~FileHandle() {
        if (isOpen()) {
            ::CloseHandle(handle_);
        }
    }

    bool isOpen() const noexcept { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const noexcept { return handle_; }
    HANDLE release() noexcept {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE handle_;
};

} // namespace tovren
