#pragma once

#include "linkstore/filefailure.h"

#include <string>

namespace tovren {

// A FileFailure as the store words it, "Access denied: map1.tmx (why)", made here with the
// store's public interface only, so that the world library links to the store's shared library.
[[noreturn]] void failOnFile(FileFailure::Kind kind, const std::string& path,
                             const std::string& why);
// The failure that an errno from the host's file interface means.
[[noreturn]] void failWithErrno(int error, const std::string& path);

} // namespace tovren
