// Files and folders for a change of the world on a POSIX host.
#include "world/hostfiles.h"

#include "linkstore/filefailure.h"
#include "world/hostfolder.h"
#include "world/posix/hostfailure.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tovren {

namespace {

using Kind = FileFailure::Kind;

// How long a file held by a load is waited for; a load or a save takes milliseconds.
constexpr auto patienceWithALoad = std::chrono::seconds(2);

// An open file, closed when it goes out of scope.
class Opened {
public:
    Opened(const std::string& path, int flags)
        : descriptor_(::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666)) {}
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    ~Opened() {
        if (descriptor_ != -1) {
            ::close(descriptor_);
        }
    }
    bool isOpen() const { return descriptor_ != -1; }
    int get() const { return descriptor_; }
    int release() {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        return descriptor;
    }

private:
    int descriptor_;
};

void syncOrFail(int descriptor, const std::string& path) {
    // EINVAL: a file system that cannot sync, and keeps what it keeps.
    if (::fsync(descriptor) == -1 && errno != EINVAL) {
        failWithErrno(errno, path);
    }
}

} // namespace

std::string pathInFolder(const std::string& folder, const std::string& fileName) {
    return folder + (folder.ends_with('/') ? "" : "/") + fileName;
}

EntryType entryType(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == -1) {
        return errno == ENOENT || errno == ENOTDIR ? EntryType::None : EntryType::Other;
    }
    return S_ISREG(status.st_mode) || S_ISLNK(status.st_mode) ? EntryType::File : EntryType::Other;
}

void addSecondName(const std::string& from, const std::string& to) {
    // Not following a symbolic link: the name itself is what moves, as a rename moves it.
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 0) == 0) {
        return;
    }
    const int error = errno;
    if (error == EEXIST) {
        failOnFile(Kind::AccessDenied, to, "there is a file of that name already");
    }
    if (error == EPERM || error == EOPNOTSUPP) {
        failOnFile(Kind::AccessDenied, from,
                   "its file system cannot give a file a second name, which the change needs");
    }
    failWithErrno(error, error == ENOENT ? from : to);
}

TwoNames twoNames(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    const bool hasFirst = ::lstat(first.c_str(), &a) == 0;
    const bool hasSecond = ::lstat(second.c_str(), &b) == 0;
    if (hasFirst && hasSecond) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino ? TwoNames::OneFile
                                                            : TwoNames::TwoFiles;
    }
    return hasFirst ? TwoNames::FirstOnly : (hasSecond ? TwoNames::SecondOnly : TwoNames::Neither);
}

void removeName(const std::string& path) {
    if (::unlink(path.c_str()) == -1 && errno != ENOENT) {
        failWithErrno(errno, path);
    }
}

void refuseIfHeld(const std::string& path, FileChange change) {
    // Opened as a save opens it, where it is to be saved: a file that may not be written fails.
    const Opened file(path, (change == FileChange::Save ? O_WRONLY : O_RDONLY) | O_NONBLOCK);
    if (!file.isOpen()) {
        if (errno == ENOENT) {
            return;
        }
        failWithErrno(errno, path);
    }
    // A save holds the file exclusively, a load shared: either keeps this lock out.
    const auto deadline = std::chrono::steady_clock::now() + patienceWithALoad;
    while (::flock(file.get(), LOCK_EX | LOCK_NB) == -1) {
        if (errno != EINTR && errno != EWOULDBLOCK) {
            return; // a file system without locks: no save can hold it either
        }
        if (errno == EWOULDBLOCK && std::chrono::steady_clock::now() >= deadline) {
            failOnFile(Kind::AccessDenied, path, "another program is saving it");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void syncFolder(const std::string& folder) {
    const Opened opened(folder, O_RDONLY | O_DIRECTORY);
    if (!opened.isOpen()) {
        failWithErrno(errno, folder);
    }
    syncOrFail(opened.get(), folder);
}

void writeDurably(const std::string& path, const std::string& bytes) {
    Opened file(path, O_WRONLY | O_CREAT | O_TRUNC);
    if (!file.isOpen()) {
        failWithErrno(errno, path);
    }
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = ::write(file.get(), rest.data(), rest.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWithErrno(errno, path);
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    syncOrFail(file.get(), path);
    if (::close(file.release()) == -1 && errno != EINTR) {
        failWithErrno(errno, path);
    }
}

std::optional<std::string> readWhole(const std::string& path) {
    const Opened file(path, O_RDONLY | O_NONBLOCK);
    if (!file.isOpen()) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        failWithErrno(errno, path);
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            failWithErrno(errno, path);
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

std::optional<FolderLock> FolderLock::tryToTake(const std::string& folder) {
    // The folder itself is locked: nothing is left behind in it, and the lock goes with the
    // process, however it ends.
    Opened opened(folder, O_RDONLY | O_DIRECTORY);
    if (!opened.isOpen()) {
        failWithErrno(errno, folder);
    }
    while (::flock(opened.get(), LOCK_EX | LOCK_NB) == -1) {
        if (errno == EWOULDBLOCK) {
            return std::nullopt;
        }
        if (errno != EINTR) {
            failWithErrno(errno, folder);
        }
    }
    return FolderLock(opened.release());
}

FolderLock::FolderLock(FolderLock&& other) noexcept : held_(other.held_) {
    other.held_ = -1;
}

FolderLock::~FolderLock() {
    if (held_ != -1) {
        ::close(static_cast<int>(held_));
    }
}

} // namespace tovren
