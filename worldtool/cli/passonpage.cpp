#include "worldtool/cli/passonpage.h"

#include "worldtool/edit/http/token.h"
#include "worldtool/picture/svgtext.h"

#include <stdexcept>

#ifdef _WIN32
#include "linkstore/windows/widetext.h"

#include <windows.h>
#else
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tovren {

namespace {

std::string pageFor(const std::string& url) {
    const std::string address = xml(url);
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
           "<meta http-equiv=\"refresh\" content=\"0;url=" +
           address + "\"><title>Tovren</title></head>\n<body><p><a href=\"" + address +
           "\">Edit the world</a></p></body></html>\n";
}

[[noreturn]] void cannot(const std::string& what) {
    throw std::runtime_error("cannot write the page that opens the editor: " + what);
}

#ifdef _WIN32

// In the user's own temporary folder, which no other user may read.
std::string privateFolder() {
    wchar_t temporary[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temporary);
    if (length == 0 || length > MAX_PATH) {
        cannot("Windows names no temporary folder");
    }
    const std::wstring folder = std::wstring(temporary, length) + L"tovren-" + toWide(freshToken());
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
        cannot("error " + std::to_string(::GetLastError()));
    }
    return fromWide(folder);
}

void writePrivately(const std::string& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool wrote =
        file != INVALID_HANDLE_VALUE &&
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
    }
    if (!wrote) {
        cannot("error " + std::to_string(::GetLastError()));
    }
}

void removePrivately(const std::string& file, const std::string& folder) {
    ::DeleteFileW(toWide(file).c_str());
    ::RemoveDirectoryW(toWide(folder).c_str());
}

constexpr char separator = '\\';

#else

// In the user's runtime folder where there is one, else the temporary one; mkdtemp lets no one
// else in.
std::string privateFolder() {
    const char* base = std::getenv("XDG_RUNTIME_DIR");
    if (base == nullptr || *base == '\0' || ::access(base, W_OK) != 0) {
        base = std::getenv("TMPDIR");
    }
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tovren-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        cannot(std::strerror(errno));
    }
    return pattern;
}

void writePrivately(const std::string& path, const std::string& bytes) {
    const int file =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool wrote = file != -1 && ::write(file, bytes.data(), bytes.size()) ==
                                         static_cast<ssize_t>(bytes.size());
    const int error = errno;
    if (file != -1) {
        ::close(file);
    }
    if (!wrote) {
        cannot(std::strerror(error));
    }
}

void removePrivately(const std::string& file, const std::string& folder) {
    ::unlink(file.c_str());
    ::rmdir(folder.c_str());
}

constexpr char separator = '/';

#endif

} // namespace

PassOnPage::PassOnPage(const std::string& url)
    : folder_(privateFolder()), file_(folder_ + separator + "editor.html") {
    try {
        writePrivately(file_, pageFor(url));
    } catch (...) {
        removePrivately(file_, folder_);
        throw;
    }
}

PassOnPage::~PassOnPage() {
    removePrivately(file_, folder_);
}

} // namespace tovren
