#include "world/posix/hostfailure.h"

#include "world/hostfolder.h"

#include <cerrno>
#include <cstring>

namespace tovren {

void failOnFile(FileFailure::Kind kind, const std::string& path, const std::string& why) {
    throw FileFailure(kind, std::string(kindInWords(kind)) + ": " + shownName(path) +
                                (why.empty() ? "" : " (" + why + ")"));
}

void failWithErrno(int error, const std::string& path) {
    using Kind = FileFailure::Kind;
    switch (error) {
    case ENOENT:
        failOnFile(Kind::FileNotFound, path, "");
    case ENOTDIR:
        failOnFile(Kind::PathNotFound, path, "");
    case EACCES:
    case EPERM:
    case EROFS:
        failOnFile(Kind::AccessDenied, path, std::strerror(error));
    case EISDIR:
        failOnFile(Kind::AccessDenied, path, "it is a folder, not a file");
    case ENOSPC:
    case EDQUOT:
    case EIO:
        failOnFile(Kind::WriteFailure, path, std::strerror(error));
    default:
        failOnFile(Kind::OtherFailure, path, std::strerror(error));
    }
}

} // namespace tovren
