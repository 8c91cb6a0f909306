// The floors for checking a world: lists a folder and opens, reads and closes each of its link
// files once, doing nothing with the bytes; with --tiled, each of its Tiled maps (.tmx) too; or,
// with --store, loads each link file through the link file store, which also refuses what is
// not a file and waits for a save in progress.
// Usage: read_folder [--store | --tiled] FOLDER
#include "linkstore/linkfile.h"

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>

int main(int argc, char** argv) {
    const bool throughStore = argc == 3 && std::strcmp(argv[1], "--store") == 0;
    const bool tiled = argc == 3 && std::strcmp(argv[1], "--tiled") == 0;
    if (argc != 2 && !throughStore && !tiled) {
        std::fprintf(stderr, "usage: read_folder [--store | --tiled] FOLDER\n");
        return 2;
    }
    const std::string path = argv[argc - 1];
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        return 1;
    }
    char buffer[65536];
    std::size_t bytes = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (!name.ends_with(".link") && !(tiled && name.ends_with(".tmx"))) {
            continue;
        }
        if (throughStore) {
            const tovren::LinkRecord record = tovren::loadLinkFile(path + "/" + std::string(name));
            bytes +=
                record.up.size() + record.down.size() + record.left.size() + record.right.size();
            continue;
        }
        const int file = ::openat(::dirfd(folder), entry->d_name, O_RDONLY | O_CLOEXEC);
        for (ssize_t count; file != -1 && (count = ::read(file, buffer, sizeof buffer)) > 0;) {
            bytes += static_cast<std::size_t>(count);
        }
        ::close(file);
    }
    ::closedir(folder);
    std::printf("%zu bytes\n", bytes);
    return 0;
}
