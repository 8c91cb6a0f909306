// Files and folders for a change of the world on Windows: paths go to Windows as UTF-16.
#include "world/hostfiles.h"

#include "linkstore/filefailure.h"
#include "linkstore/windows/filehandle.h"
#include "linkstore/windows/widetext.h"

#include <chrono>
#include <string_view>
#include <thread>
#include <windows.h>

namespace tovren {

namespace {

using Kind = FileFailure::Kind;

constexpr auto patienceWithALoad = std::chrono::seconds(2);
constexpr const wchar_t* lockName = L".tovren-world.lock";

[[noreturn]] void fail(Kind kind, const std::string& path, const std::string& why) {
    throw FileFailure(kind, std::string(kindInWords(kind)) + ": " + path +
                                (why.empty() ? "" : " (" + why + ")"));
}

[[noreturn]] void failWithError(DWORD error, const std::string& path) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        fail(Kind::FileNotFound, path, "");
    case ERROR_PATH_NOT_FOUND:
        fail(Kind::PathNotFound, path, "");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        fail(Kind::AccessDenied, path, "it is open in another program");
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        fail(Kind::AccessDenied, path, "it is open in another program, or read-only");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_WRITE_FAULT:
        fail(Kind::WriteFailure, path, "error " + std::to_string(error));
    default:
        fail(Kind::OtherFailure, path, "error " + std::to_string(error));
    }
}

FileHandle openToLookAt(const std::wstring& path) {
    return FileHandle(::CreateFileW(
        path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ||
           (::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_PATH_NOT_FOUND);
}

} // namespace

std::string pathInFolder(const std::string& folder, const std::string& fileName) {
    return folder + (folder.ends_with('\\') || folder.ends_with('/') ? "" : "\\") + fileName;
}

EntryType entryType(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryType::None
                                                                              : EntryType::Other;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryType::Other : EntryType::File;
}

void addSecondName(const std::string& from, const std::string& to) {
    if (::CreateHardLinkW(toWide(to).c_str(), toWide(from).c_str(), nullptr)) {
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        fail(Kind::AccessDenied, to, "there is a file of that name already");
    }
    if (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED) {
        fail(Kind::AccessDenied, from,
             "its file system cannot give a file a second name, which the change needs");
    }
    failWithError(error, error == ERROR_FILE_NOT_FOUND ? from : to);
}

TwoNames twoNames(const std::string& first, const std::string& second) {
    const std::wstring a = toWide(first);
    const std::wstring b = toWide(second);
    const bool hasFirst = exists(a);
    const bool hasSecond = exists(b);
    if (!hasFirst || !hasSecond) {
        return hasFirst ? TwoNames::FirstOnly
                        : (hasSecond ? TwoNames::SecondOnly : TwoNames::Neither);
    }
    const FileHandle one = openToLookAt(a);
    const FileHandle other = openToLookAt(b);
    BY_HANDLE_FILE_INFORMATION x{};
    BY_HANDLE_FILE_INFORMATION y{};
    if (!one.isOpen() || !other.isOpen() || !::GetFileInformationByHandle(one.get(), &x) ||
        !::GetFileInformationByHandle(other.get(), &y)) {
        return TwoNames::TwoFiles; // not known to be one
    }
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
                   x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow
               ? TwoNames::OneFile
               : TwoNames::TwoFiles;
}

void removeName(const std::string& path) {
    if (!::DeleteFileW(toWide(path).c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        failWithError(::GetLastError(), path);
    }
}

void refuseIfHeld(const std::string& path, FileChange change) {
    const std::wstring wide = toWide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return; // not there, or the store tells why
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        fail(Kind::AccessDenied, path, "it is read-only");
    }
    // Asking to write (and to remove) is refused while a program holds the file as a save
    // holds it, or, for a removal, without letting others remove it.
    const DWORD access = GENERIC_WRITE | (change == FileChange::Remove ? DELETE : 0);
    const auto deadline = std::chrono::steady_clock::now() + patienceWithALoad;
    for (;;) {
        const FileHandle file(::CreateFileW(
            wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.isOpen()) {
            return;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return;
        }
        if (error != ERROR_SHARING_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
            failWithError(error, path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void syncFolder(const std::string& folder) {
    // NTFS keeps its folders in its journal, in order; flushing the folder asks for it to be
    // written out now. A file system that cannot is left as it keeps its folders.
    const FileHandle opened(::CreateFileW(toWide(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
    if (opened.isOpen()) {
        ::FlushFileBuffers(opened.get());
    }
}

void writeDurably(const std::string& path, const std::string& bytes) {
    FileHandle file(::CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isOpen()) {
        failWithError(::GetLastError(), path);
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size() || !::FlushFileBuffers(file.get())) {
        failWithError(::GetLastError(), path);
    }
    if (!::CloseHandle(file.release())) {
        failWithError(::GetLastError(), path);
    }
}

std::optional<std::string> readWhole(const std::string& path) {
    const FileHandle file(::CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isOpen()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return std::nullopt;
        }
        failWithError(error, path);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
            failWithError(::GetLastError(), path);
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer, count);
    }
}

std::optional<FolderLock> FolderLock::tryToTake(const std::string& folder) {
    // A file of the folder that no one else may open, removed by Windows when it is closed,
    // which it is when the process ends, however it ends.
    const std::wstring path = toWide(folder) + L"\\" + lockName;
    const HANDLE held =
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (held != INVALID_HANDLE_VALUE) {
        return FolderLock(reinterpret_cast<std::intptr_t>(held));
    }
    const DWORD error = ::GetLastError();
    // Denied while another holder's file is on its way out, which is being held still.
    if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && exists(path))) {
        return std::nullopt;
    }
    failWithError(error, folder);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : held_(other.held_) {
    other.held_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
}

FolderLock::~FolderLock() {
    if (held_ != reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) {
        ::CloseHandle(reinterpret_cast<HANDLE>(held_));
    }
}

} // namespace tovren
