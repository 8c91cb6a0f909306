// Folders and file names on a POSIX host: names are bytes, compared as they are.
#include "world/hostfolder.h"

#include "linkstore/hostcodepage.h"
#include "linkstore/linkfile.h"
#include "world/worldtypes.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tovren {

namespace {

constexpr std::string_view linkExtension = ".link";

[[noreturn]] void failToList(const std::string& folder, int error) {
    throw FolderFailure("Cannot read the folder " + shownName(folder) + ": " +
                        std::error_code(error, std::generic_category()).message());
}

LinkFileEntry::Type typeOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return LinkFileEntry::Type::File;
    }
    return S_ISDIR(mode) ? LinkFileEntry::Type::Folder : LinkFileEntry::Type::Other;
}

// The entry's type with symbolic links followed, from the listing where it says, else from
// stat; an entry that cannot be looked at is left to the store, which tells why.
LinkFileEntry::Type entryType(int folder, const dirent& entry) {
    switch (entry.d_type) {
    case DT_REG:
        return LinkFileEntry::Type::File;
    case DT_DIR:
        return LinkFileEntry::Type::Folder;
    case DT_LNK:
    case DT_UNKNOWN:
        break;
    default:
        return LinkFileEntry::Type::Other;
    }
    struct stat status {};
    if (::fstatat(folder, entry.d_name, &status, 0) == -1) {
        return LinkFileEntry::Type::File;
    }
    return typeOf(status.st_mode);
}

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};

std::string resolvedPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

} // namespace

std::string absoluteFolder(const std::string& folder) {
    std::string absolute = folder;
    if (folder.empty() || folder.front() != '/') {
        std::unique_ptr<char, decltype(&std::free)> working(::getcwd(nullptr, 0), &std::free);
        if (!working) {
            failToList(folder, errno);
        }
        absolute = std::string(working.get()) + "/" + folder;
    }
    // "maps/." and "maps/" are the folder maps: the store joins names to it with one separator.
    while (absolute.size() > 1 && (absolute.ends_with('/') || absolute.ends_with("/."))) {
        absolute.pop_back();
    }
    return absolute;
}

void listLinkFiles(const std::string& folder, const std::function<void(LinkFileEntry&&)>& found,
                   const std::function<void(TiledFileEntry&&)>& tiledFound) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor == -1) {
        failToList(folder, errno);
    }
    std::unique_ptr<DIR, FolderCloser> listing(::fdopendir(descriptor));
    if (!listing) {
        const int error = errno;
        ::close(descriptor);
        failToList(folder, error);
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing.get());
        if (entry == nullptr) {
            if (errno != 0) {
                failToList(folder, errno);
            }
            return;
        }
        const std::string_view name = entry->d_name;
        if (name.ends_with(linkExtension)) {
            found({std::string(name.substr(0, name.size() - linkExtension.size())),
                   entryType(descriptor, *entry)});
        } else if (tiledFound && (name.ends_with(".tmx") || name.ends_with(".tmj"))) {
            tiledFound({std::string(name.substr(0, name.size() - 4)), name.ends_with(".tmj")});
        }
    }
}

std::optional<LinkFileEntry> linkFileEntry(const std::string& folder, const std::string& mapName) {
    struct stat status {};
    const std::string path = linkFilePath(folder, mapName);
    if (::stat(path.c_str(), &status) == 0) {
        return LinkFileEntry{mapName, typeOf(status.st_mode)};
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) == -1) {
            return std::nullopt; // gone
        }
    }
    return LinkFileEntry{mapName, LinkFileEntry::Type::File}; // the store tells what is wrong
}

std::string nameKey(const std::string& mapName) {
    return mapName;
}

std::string shownName(const std::string& mapName) {
    return fromHostCodePage(mapName);
}

bool hasSeparator(std::string_view mapName) {
    return mapName.find('/') != std::string_view::npos;
}

std::size_t nameStart(std::string_view text) {
    const std::size_t slash = text.find_last_of('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::optional<std::string> placeOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = resolvedPath(slash == 0 ? "/" : path.substr(0, slash));
    if (folder.empty()) {
        return std::nullopt;
    }
    return (folder == "/" ? "" : folder) + "/" + path.substr(slash + 1);
}

bool liesInside(const std::string& path, const std::string& folder) {
    const std::string base = resolvedPath(folder);
    std::string real = resolvedPath(path);
    if (real.empty()) { // not there: where it would be made
        real = placeOf(path).value_or("");
    }
    const std::string within = base == "/" ? base : base + "/";
    return !base.empty() && real.size() > within.size() && real.starts_with(within);
}

std::optional<std::string> folderIdentity(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) == -1 || !S_ISDIR(status.st_mode)) {
        return std::nullopt;
    }
    return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
}

bool isLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

std::string_view folderOfPlace(std::string_view place) {
    const std::size_t slash = place.find_last_of('/');
    return slash == 0 ? place.substr(0, 1) : place.substr(0, slash);
}

std::string_view nameOfPlace(std::string_view place) {
    return place.substr(place.find_last_of('/') + 1);
}

} // namespace tovren
