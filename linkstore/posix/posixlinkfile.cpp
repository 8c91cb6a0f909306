// Saving and loading link files with the POSIX file interface.
#include "linkstore/filefailurebuilder.h"
#include "linkstore/linkfile.h"
#include "linkstore/linkformat.h"
#include "linkstore/posix/filedescriptor.h"
#include "linkstore/posix/hostfailure.h"
#include "linkstore/usablepath.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tovren {

namespace {

// How long a load waits for a save of the same file to end; a save takes milliseconds.
constexpr auto patienceWithASave = std::chrono::seconds(2);

// Opens without blocking, so that a FIFO in the file's place cannot hang the program. Reads
// and writes of a regular file never block, whatever the flag says.
FileDescriptor openWithoutBlocking(const std::string& path, int flags, FileStep step) {
    FileDescriptor file(::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666));
    if (!file.isOpen()) {
        throw failureFromErrno(errno, step, path);
    }
    return file;
}

// Switches to ordinary blocking writes, for whatever a save finds in the file's place.
void makeBlocking(const FileDescriptor& file, const std::string& path) {
    const int status = ::fcntl(file.get(), F_GETFL);
    if (status == -1 || ::fcntl(file.get(), F_SETFL, status & ~O_NONBLOCK) == -1) {
        throw failureFromErrno(errno, FileStep::OpenToSave, path);
    }
}

// Refuses other writers for as long as the file stays open. The lock is advisory: it binds
// every Tovren, and any other program that asks for it; programs that only read and take no
// lock are never held up.
void refuseOtherWriters(const FileDescriptor& file, const std::string& path) {
    while (::flock(file.get(), LOCK_EX | LOCK_NB) == -1) {
        if (errno != EINTR) {
            throw failureFromErrno(errno, FileStep::OpenToSave, path);
        }
    }
}

// Keeps every Tovren saving this file out while it is read, waiting a little for a save in
// progress to end. Without it a load that overlaps a save can return lines of both records.
// Programs that take no lock are not held up, and a file system without locks is read as it is.
void holdAgainstSaves(const FileDescriptor& file, const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + patienceWithASave;
    while (::flock(file.get(), LOCK_SH | LOCK_NB) == -1) {
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK) {
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            throw failureFromErrno(EWOULDBLOCK, FileStep::OpenToLoad, path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void writeAll(const FileDescriptor& file, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(file.get(), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw failureFromErrno(errno, FileStep::Write, path);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// Only a save that reached the device has succeeded: a full disk may otherwise be reported
// after the user was told all is well.
void flushToDevice(const FileDescriptor& file, const std::string& path) {
    if (::fsync(file.get()) == -1 && errno != EINVAL) { // EINVAL: a device that cannot sync
        throw failureFromErrno(errno, FileStep::Write, path);
    }
}

void closeAfterWriting(FileDescriptor& file, const std::string& path) {
    // After EINTR Linux has closed the file all the same: it must not be closed again.
    if (::close(file.release()) == -1 && errno != EINTR) {
        throw failureFromErrno(errno, FileStep::Write, path);
    }
}

std::size_t readSome(const FileDescriptor& file, char* buffer, std::size_t size,
                     const std::string& path) {
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, size);
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            throw failureFromErrno(errno, FileStep::Read, path);
        }
    }
}

// Only a regular file is read. A folder is refused, as Windows refuses to open one; a device or
// a pipe (or a link to one, such as /dev/zero) might never end or never answer.
void refuseAllButRegularFiles(const FileDescriptor& file, const std::string& path) {
    struct stat status {};
    if (::fstat(file.get(), &status) == -1) {
        throw failureFromErrno(errno, FileStep::OpenToLoad, path);
    }
    if (S_ISDIR(status.st_mode)) {
        throw failureFromErrno(EISDIR, FileStep::OpenToLoad, path);
    }
    if (!S_ISREG(status.st_mode)) {
        throw fileFailure(FileFailure::Kind::AccessDenied, path,
                          "it is a device or a pipe, not a file");
    }
}

void writeRecord(FileDescriptor& file, const LinkRecord& record, const std::string& path) {
    refuseOtherWriters(file, path);
    writeAll(file, linkFileBytesOnThisHost(record), path);
    flushToDevice(file, path);
    closeAfterWriting(file, path);
}

} // namespace

void saveLinkFile(const std::string& path, const LinkRecord& record) {
    refuseUnusablePath(path);
    // Never O_TRUNC: an earlier, longer content keeps its tail after the new fourth line.
    FileDescriptor file = openWithoutBlocking(path, O_WRONLY | O_CREAT, FileStep::OpenToSave);
    makeBlocking(file, path);
    writeRecord(file, record, path);
}

void createLinkFile(const std::string& path, const LinkRecord& record) {
    refuseUnusablePath(path);
    FileDescriptor file(::open(
        path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666));
    if (!file.isOpen()) {
        if (errno == EEXIST) {
            throw fileFailure(FileFailure::Kind::AccessDenied, path,
                              "a file or a link of that name is there already");
        }
        throw failureFromErrno(errno, FileStep::OpenToSave, path);
    }
    writeRecord(file, record, path);
}

LinkRecord loadLinkFile(const std::string& path) {
    return loadLinkFile(path, SIZE_MAX);
}

LinkRecord loadLinkFile(const std::string& path, std::size_t mostBytes) {
    refuseUnusablePath(path);
    FileDescriptor file = openWithoutBlocking(path, O_RDONLY, FileStep::OpenToLoad);
    refuseAllButRegularFiles(file, path); // so reading may keep the flag: a file never blocks
    holdAgainstSaves(file, path);
    return readLinkRecord(
        path, [&](char* buffer, std::size_t size) { return readSome(file, buffer, size, path); },
        mostBytes);
}

} // namespace tovren
