#pragma once

#include "support/failurekind.h"

namespace tovren::testing {

// Runs the action in a child process, so that it may change limits or drop privileges without
// touching the test process. Throws when the child ends any other way than by a result.
FailureKind failureKindInChildProcess(const std::function<void()>& action);

// Runs the action as the unprivileged user "nobody" in a child process when the tests run as
// root (which ignores file permissions), and directly otherwise.
FailureKind failureKindAsUnprivileged(const std::function<void()>& action);

// The user id the unprivileged actions run as.
constexpr unsigned unprivilegedUser = 65534;

} // namespace tovren::testing
