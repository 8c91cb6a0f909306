#include "world/linkfileremoval.h"

#include "linkstore/filefailure.h"
#include "world/hostfolder.h"

#ifdef _WIN32
#include "linkstore/windows/widetext.h"

#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tovren {

namespace {

[[noreturn]] void fail(FileFailure::Kind kind, const std::string& path, const std::string& why) {
    throw FileFailure(kind, std::string(kindInWords(kind)) + ": " + shownName(path) +
                                (why.empty() ? "" : " (" + why + ")"));
}

} // namespace

#ifdef _WIN32

void removeLinkFile(const std::string& path) {
    // Windows removes no file that another program holds open without letting others delete it,
    // as Tovren.exe holds a file it saves.
    if (::DeleteFileW(toWide(path).c_str())) {
        return;
    }
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
        fail(FileFailure::Kind::FileNotFound, path, "");
    }
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
        fail(FileFailure::Kind::AccessDenied, path, "it is open in another program, or read-only");
    }
    fail(FileFailure::Kind::OtherFailure, path, "error " + std::to_string(error));
}

#else

void removeLinkFile(const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file == -1) {
        const int error = errno;
        fail(error == ENOENT ? FileFailure::Kind::FileNotFound : FileFailure::Kind::AccessDenied,
             path, error == ENOENT ? "" : std::strerror(error));
    }
    // As a save holds it: while Tovren saves it, it is not removed.
    if (::flock(file, LOCK_EX | LOCK_NB) == -1) {
        ::close(file);
        fail(FileFailure::Kind::AccessDenied, path, "another program is saving it");
    }
    const int removed = ::unlink(path.c_str());
    const int error = errno;
    ::close(file);
    if (removed == -1) {
        fail(error == EACCES || error == EPERM ? FileFailure::Kind::AccessDenied
                                               : FileFailure::Kind::OtherFailure,
             path, std::strerror(error));
    }
}

#endif

} // namespace tovren
