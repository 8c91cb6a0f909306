// Writes a world like a real game's (tests/support/rectangleworld.h) into a folder as link
// files, for the tests, the benchmarks and for looking at by hand.
// Usage: generate_world FOLDER MAPS [SEED] [--loop]
#include "support/rectangleworld.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "Usage: generate_world FOLDER MAPS [SEED] [--loop]\n");
        return 2;
    }
    const std::uint32_t seed = argc > 3 ? static_cast<std::uint32_t>(std::stoul(argv[3])) : 1;
    const bool loop = argc > 4 && std::string(argv[4]) == "--loop";
    const tovren::testing::RectangleWorld world =
        tovren::testing::rectangleWorld(std::stoul(argv[2]), seed, loop);
    tovren::testing::writeLinkFiles(world, argv[1]);
    std::printf("%zu maps\n", world.maps.size());
    return 0;
}
