#include "linkstore/posix/hostfailure.h"

#include "linkstore/filefailurebuilder.h"

#include <cerrno>
#include <sys/stat.h>
#include <system_error>

namespace tovren {

namespace {

using Kind = FileFailure::Kind;

// The directory part of a path: everything before its last separator.
std::string parentOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The host says ENOENT both for a missing file and a missing directory on its way;
// a Windows user expects the two to be told apart.
Kind missingKind(FileStep step, const std::string& path) {
    if (step == FileStep::OpenToLoad && isDirectory(parentOf(path))) {
        return Kind::FileNotFound;
    }
    return Kind::PathNotFound;
}

Kind kindOf(int error, FileStep step, const std::string& path) {
    const bool writing = step == FileStep::OpenToSave || step == FileStep::Write;
    switch (error) {
    case ENOENT:
        return missingKind(step, path);
    case ENOTDIR:
        return Kind::PathNotFound;
    case ENAMETOOLONG:
        return Kind::BadFileName;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
    case EWOULDBLOCK:
        return Kind::AccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return writing ? Kind::WriteFailure : Kind::OtherFailure;
    case EIO:
        return step == FileStep::Write ? Kind::WriteFailure : Kind::OtherFailure;
    default:
        return Kind::OtherFailure;
    }
}

} // namespace

FileFailure failureFromErrno(int error, FileStep step, const std::string& path) {
    const Kind kind = kindOf(error, step, path);
    std::string reason = std::error_code(error, std::generic_category()).message();
    if (error == EWOULDBLOCK) {
        reason = "another program is using this file";
    } else if (error == EISDIR) {
        reason = "it is a folder, not a file";
    }
    const bool reasonSaysNoMore = kind == Kind::FileNotFound || kind == Kind::PathNotFound;
    return fileFailure(kind, path, reasonSaysNoMore ? std::string() : reason);
}

} // namespace tovren
