// Reading a file beside the link files with the POSIX file interface.
#include "world/hostfile.h"

#include "world/posix/hostfailure.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovren {

namespace {

int descriptorOf(void* handle) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(handle));
}

} // namespace

FileReader::FileReader(const std::string& path) : path_(path) {
    if (path.find('\0') != std::string::npos) {
        failOnFile(FileFailure::Kind::BadFileName, path, "a file name cannot hold a NUL character");
    }
    // Opened without blocking, so that a pipe in the file's place cannot hang the reading.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (descriptor == -1) {
        failWithErrno(errno, path);
    }
    handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(descriptor));
    struct stat status {};
    if (::fstat(descriptor, &status) == -1 || !S_ISREG(status.st_mode)) {
        const int error = errno;
        const bool folder = S_ISDIR(status.st_mode);
        ::close(descriptor);
        if (folder) {
            failWithErrno(EISDIR, path);
        }
        if (status.st_mode != 0) {
            failOnFile(FileFailure::Kind::AccessDenied, path,
                       "it is a device or a pipe, not a file");
        }
        failWithErrno(error, path);
    }
}

FileReader::~FileReader() {
    ::close(descriptorOf(handle_));
}

std::size_t FileReader::read(char* into, std::size_t most) {
    for (;;) {
        const ssize_t count = ::read(descriptorOf(handle_), into, most);
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            failWithErrno(errno, path_);
        }
    }
}

} // namespace tovren
