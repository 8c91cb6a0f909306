#include "linkstore/filefailurebuilder.h"
#include "linkstore/linkfile.h"

#include <unistd.h>

namespace tovren {

namespace {

// The running executable's own path, symbolic links resolved, as the kernel knows it.
std::string executablePath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            throw fileFailure(FileFailure::Kind::OtherFailure, "/proc/self/exe",
                              "the program cannot tell where it is installed");
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path;
        }
        path.resize(path.size() * 2); // it may have been cut short: try a larger buffer
    }
}

} // namespace

std::string programDirectory() {
    const std::string executable = executablePath();
    const std::size_t slash = executable.find_last_of('/');
    if (slash == 0 || slash == std::string::npos) {
        return "/";
    }
    return executable.substr(0, slash);
}

} // namespace tovren
