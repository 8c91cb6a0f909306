#pragma once

#include "linkstore/filefailure.h"

#include <functional>
#include <optional>
#include <ostream>

namespace tovren::testing {

// How a file operation ended: nothing when it succeeded, else the kind of its FileFailure.
using FailureKind = std::optional<FileFailure::Kind>;

FailureKind failureKindOf(const std::function<void()>& action);

// Runs the action in a child process, so that it may change limits or drop privileges without
// touching the test process. Throws when the child ends any other way than by a result.
FailureKind failureKindInChildProcess(const std::function<void()>& action);

// Runs the action as the unprivileged user "nobody" in a child process when the tests run as
// root (which ignores file permissions), and directly otherwise.
FailureKind failureKindAsUnprivileged(const std::function<void()>& action);

// The user id the unprivileged actions run as.
constexpr unsigned unprivilegedUser = 65534;

} // namespace tovren::testing

namespace tovren {
// Lets GoogleTest print a failure kind by its name.
void PrintTo(FileFailure::Kind kind, std::ostream* out);
} // namespace tovren
