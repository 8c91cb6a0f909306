// Saving and loading link files with the Win32 file interface. Paths go to Windows as UTF-16,
// so a map name outside the ANSI code page still names the right file.
#include "linkstore/windows/windowslinkfile.h"

#include "linkstore/filefailurebuilder.h"
#include "linkstore/linkfile.h"
#include "linkstore/linkformat.h"
#include "linkstore/usablepath.h"
#include "linkstore/windows/filehandle.h"
#include "linkstore/windows/hostfailure.h"
#include "linkstore/windows/widetext.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string_view>
#include <thread>
#include <windows.h>

namespace tovren {

namespace {

constexpr DWORD largestWrite = 1U << 30; // per call; longer writes and reads loop
// How long a load waits for a save of the same file to end; a save takes milliseconds.
constexpr auto patienceWithASave = std::chrono::seconds(2);

// Opens for reading, refusing writers while it reads, so that a load never returns lines of
// two records; a save in progress is waited for a little.
FileHandle openToLoad(const std::string& path) {
    const std::wstring widePath = toWide(path);
    const auto deadline = std::chrono::steady_clock::now() + patienceWithASave;
    for (;;) {
        FileHandle file(::CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file.isOpen()) {
            return file;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_SHARING_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
            throw failureFromWindowsError(error, FileStep::OpenToLoad, path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void writeAll(const FileHandle& file, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), largestWrite));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) {
            throw failureFromWindowsError(::GetLastError(), FileStep::Write, path);
        }
        bytes.remove_prefix(written);
    }
}

std::size_t readSome(const FileHandle& file, char* buffer, std::size_t size,
                     const std::string& path) {
    DWORD count = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, largestWrite));
    if (!::ReadFile(file.get(), buffer, wanted, &count, nullptr)) {
        throw failureFromWindowsError(::GetLastError(), FileStep::Read, path);
    }
    return count;
}

// Only a file on a disk is read: a device such as CON would wait for input, or never end.
void refuseDevice(const FileHandle& file, const std::string& path) {
    if (::GetFileType(file.get()) != FILE_TYPE_DISK) {
        throw failureFromWindowsError(ERROR_ACCESS_DENIED, FileStep::OpenToLoad, path);
    }
}

} // namespace

FileHandle openToSave(const std::string& path) {
    FileHandle file(::CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isOpen()) {
        throw failureFromWindowsError(::GetLastError(), FileStep::OpenToSave, path);
    }
    return file;
}

namespace {

void writeRecord(FileHandle& file, const LinkRecord& record, const std::string& path) {
    writeAll(file, linkFileBytesOnThisHost(record), path);
    // Only a save that reached the device has succeeded.
    if (!::FlushFileBuffers(file.get())) {
        throw failureFromWindowsError(::GetLastError(), FileStep::Write, path);
    }
    if (!::CloseHandle(file.release())) {
        throw failureFromWindowsError(::GetLastError(), FileStep::Write, path);
    }
}

} // namespace

void saveLinkFile(const std::string& path, const LinkRecord& record) {
    refuseUnusablePath(path);
    FileHandle file = openToSave(path);
    writeRecord(file, record, path);
}

void createLinkFile(const std::string& path, const LinkRecord& record) {
    refuseUnusablePath(path);
    const std::wstring widePath = toWide(path);
    // CREATE_NEW makes a file where nothing has the name, a link included; one that leads on is
    // opened as itself, never followed.
    FileHandle file(::CreateFileW(widePath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
    if (!file.isOpen()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
            throw fileFailure(FileFailure::Kind::AccessDenied, path,
                              "a file or a link of that name is there already");
        }
        throw failureFromWindowsError(error, FileStep::OpenToSave, path);
    }
    BY_HANDLE_FILE_INFORMATION made{};
    if (!::GetFileInformationByHandle(file.get(), &made) ||
        (made.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        ::CloseHandle(file.release());
        ::DeleteFileW(widePath.c_str());
        throw fileFailure(FileFailure::Kind::AccessDenied, path, "it is a link to another place");
    }
    writeRecord(file, record, path);
}

LinkRecord loadLinkFile(const std::string& path) {
    return loadLinkFile(path, SIZE_MAX);
}

LinkRecord loadLinkFile(const std::string& path, std::size_t mostBytes) {
    refuseUnusablePath(path);
    FileHandle file = openToLoad(path);
    refuseDevice(file, path);
    return readLinkRecord(
        path, [&](char* buffer, std::size_t size) { return readSome(file, buffer, size, path); },
        mostBytes);
}

} // namespace tovren
