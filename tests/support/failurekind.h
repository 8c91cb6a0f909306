#pragma once

#include "linkstore/filefailure.h"

#include <functional>
#include <optional>
#include <ostream>

namespace tovren::testing {

// How a file operation ended: nothing when it succeeded, else the kind of its FileFailure.
using FailureKind = std::optional<FileFailure::Kind>;

inline FailureKind failureKindOf(const std::function<void()>& action) {
    try {
        action();
        return std::nullopt;
    } catch (const FileFailure& failure) {
        return failure.kind();
    }
}

} // namespace tovren::testing

namespace tovren {
// Lets GoogleTest print a failure kind by its name.
inline void PrintTo(FileFailure::Kind kind, std::ostream* out) {
    *out << kindInWords(kind);
}
} // namespace tovren
