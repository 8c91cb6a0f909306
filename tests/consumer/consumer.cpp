// Saves a record into the given directory's map1.link, loads it back and checks it, checks
// that a missing file fails as FileFailure, and reads the directory as a world whose three
// neighbours are missing. Exits with 0 when all held.
#include <iostream>
#include <tovren/linkstore/linkfile.h>
#include <tovren/world/world.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: consumer DIRECTORY\n";
        return 2;
    }
    const tovren::LinkRecord record{"map0", "", "K\xc3\xb6ln", "map4"};
    const std::string path = tovren::linkFilePath(argv[1], "map1");
    tovren::saveLinkFile(path, record);
    if (tovren::loadLinkFile(path) != record) {
        std::cerr << "the record loaded is not the one saved\n";
        return 1;
    }
    try {
        tovren::loadLinkFile(tovren::linkFilePath(argv[1], "missing"));
        std::cerr << "a missing file was loaded\n";
        return 1;
    } catch (const tovren::FileFailure& failure) {
        if (failure.kind() != tovren::FileFailure::Kind::FileNotFound) {
            std::cerr << "a missing file failed as: " << failure.description() << '\n';
            return 1;
        }
    }
    const tovren::World world = tovren::readWorld(argv[1]);
    if (world.maps.size() != 1 || world.count(tovren::Severity::Error) != 3) {
        std::cerr << "the world of one map with three missing neighbours was read otherwise\n";
        return 1;
    }
    std::cout << "saved and loaded " << path << ", and read it as a world\n";
    return 0;
}
