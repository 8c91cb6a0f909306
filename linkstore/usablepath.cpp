#include "linkstore/usablepath.h"

#include "linkstore/filefailurebuilder.h"

namespace tovren {

void refuseUnusablePath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        throw fileFailure(FileFailure::Kind::BadFileName, path,
                          "a file name cannot hold a NUL character");
    }
}

} // namespace tovren
