// Prints programDirectory(), for the tests that start it from elsewhere.
#include "linkstore/linkfile.h"

#include <cstdio>

int main() {
    std::fputs(tovren::programDirectory().c_str(), stdout);
    return 0;
}
