#include "linkstore/linkfile.h"

namespace tovren {

namespace {
#ifdef _WIN32
constexpr char directorySeparator = '\\';
#else
constexpr char directorySeparator = '/';
#endif
constexpr const char* linkExtension = ".link";
} // namespace

std::string linkFilePath(const std::string& directory, const std::string& mapName) {
    // Always one separator, even after a root directory's own: "/" and "map1" give "//map1.link".
    std::string path;
    path.reserve(directory.size() + 1 + mapName.size() + 5);
    path += directory;
    path += directorySeparator;
    path += mapName;
    path += linkExtension;
    return path;
}

} // namespace tovren
