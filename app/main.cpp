#include <cstdio>

int main() {
    std::puts("Tovren 1.00 is built. Its window is not there yet: this build holds the link file "
              "store and the editor commands, which the tests exercise.");
    return 0;
}
