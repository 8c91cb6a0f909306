#include "linkstore/windows/hostfailure.h"

#include "linkstore/filefailurebuilder.h"
#include "linkstore/windows/widetext.h"

namespace tovren {

namespace {

using Kind = FileFailure::Kind;

Kind kindOf(DWORD error, FileStep step) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return Kind::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
        return Kind::PathNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_DIRECTORY:
        return Kind::BadFileName;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return Kind::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_WRITE_FAULT:
        return step == FileStep::OpenToSave || step == FileStep::Write ? Kind::WriteFailure
                                                                       : Kind::OtherFailure;
    default:
        return Kind::OtherFailure;
    }
}

// The system's own words for an error, without the line break it ends them with.
std::string systemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                                message.back() == L' ' || message.back() == L'.')) {
        message.pop_back();
    }
    if (message.empty()) {
        return "Windows error " + std::to_string(error);
    }
    return fromWide(message);
}

} // namespace

FileFailure failureFromWindowsError(DWORD error, FileStep step, const std::string& path) {
    const Kind kind = kindOf(error, step);
    std::string reason = systemMessage(error);
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        reason = "another program is using this file";
    }
    const bool reasonSaysNoMore = kind == Kind::FileNotFound || kind == Kind::PathNotFound;
    return fileFailure(kind, path, reasonSaysNoMore ? std::string() : reason);
}

} // namespace tovren
