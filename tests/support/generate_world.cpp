// Writes a world like a real game's (tests/support/rectangleworld.h) into a folder as link
// files, for the tests, the benchmarks and for looking at by hand; with --tiled, each map's
// Tiled map too (every third a .tmj), with --tileset FILE each tile that tileset's only one.
// Usage: generate_world FOLDER MAPS [SEED] [--loop] [--tiled] [--tileset FILE]
#include "support/rectangleworld.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(
            stderr,
            "Usage: generate_world FOLDER MAPS [SEED] [--loop] [--tiled] [--tileset FILE]\n");
        return 2;
    }
    const std::uint32_t seed = argc > 3 ? static_cast<std::uint32_t>(std::stoul(argv[3])) : 1;
    bool loop = false;
    bool tiled = false;
    std::string tileset;
    for (int at = 4; at < argc; ++at) {
        const std::string option = argv[at];
        loop = loop || option == "--loop";
        tiled = tiled || option == "--tiled";
        if (option == "--tileset" && at + 1 < argc) {
            tileset = argv[++at];
            tiled = true;
        }
    }
    const tovren::testing::RectangleWorld world =
        tovren::testing::rectangleWorld(std::stoul(argv[2]), seed, loop);
    tovren::testing::writeLinkFiles(world, argv[1]);
    if (tiled) {
        tovren::testing::writeTiledMaps(world, argv[1], 3, tileset);
    }
    std::printf("%zu maps\n", world.maps.size());
    return 0;
}
