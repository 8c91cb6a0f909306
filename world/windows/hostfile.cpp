// Reading a file beside the link files with the Windows file interface: paths are UTF-8 here
// and UTF-16 to the host.
#include "world/hostfile.h"

#include "linkstore/usablepath.h"
#include "linkstore/windows/hostfailure.h"
#include "linkstore/windows/widetext.h"

#include <algorithm>
#include <windows.h>

namespace tovren {

FileReader::FileReader(const std::string& path) : path_(path) {
    refuseUnusablePath(path);
    // Others may go on reading, writing or removing it: Tovren only looks.
    const HANDLE file = ::CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw failureFromWindowsError(::GetLastError(), FileStep::OpenToLoad, path);
    }
    // Only a file on a disk: a device such as CON would wait for input, or never end.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        throw failureFromWindowsError(ERROR_ACCESS_DENIED, FileStep::OpenToLoad, path);
    }
    handle_ = file;
}

FileReader::~FileReader() {
    ::CloseHandle(static_cast<HANDLE>(handle_));
}

std::size_t FileReader::read(char* into, std::size_t most) {
    DWORD count = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(most, 1U << 30));
    if (!::ReadFile(static_cast<HANDLE>(handle_), into, wanted, &count, nullptr)) {
        throw failureFromWindowsError(::GetLastError(), FileStep::Read, path_);
    }
    return count;
}

} // namespace tovren
