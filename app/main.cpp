#include "app/shell.h"

int main(int /*argc*/, char** argv) {
    return tovren::runTovren(argv[0]);
}
