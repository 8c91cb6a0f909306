#include "support/childprocess.h"

#include <grp.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace tovren::testing {

namespace {

// Exit codes from the child: success, a failure kind (offset), anything unexpected.
constexpr int succeeded = 0;
constexpr int kindOffset = 10;
constexpr int unexpected = 99;

} // namespace

FailureKind failureKindInChildProcess(const std::function<void()>& action) {
    const pid_t child = ::fork();
    if (child == -1) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        int code = unexpected;
        try {
            const FailureKind kind = failureKindOf(action);
            code = kind ? kindOffset + static_cast<int>(*kind) : succeeded;
        } catch (...) {
            code = unexpected;
        }
        ::_exit(code);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) == -1) {
    }
    if (!WIFEXITED(status)) {
        throw std::runtime_error("the child process was ended by signal " +
                                 std::to_string(WTERMSIG(status)));
    }
    const int code = WEXITSTATUS(status);
    if (code == succeeded) {
        return std::nullopt;
    }
    if (code < kindOffset ||
        code > kindOffset + static_cast<int>(FileFailure::Kind::OtherFailure)) {
        throw std::runtime_error("the child process failed unexpectedly, code " +
                                 std::to_string(code));
    }
    return static_cast<FileFailure::Kind>(code - kindOffset);
}

FailureKind failureKindAsUnprivileged(const std::function<void()>& action) {
    if (::geteuid() != 0) {
        return failureKindOf(action);
    }
    return failureKindInChildProcess([&action] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(unprivilegedUser) != 0 ||
            ::setuid(unprivilegedUser) != 0) {
            throw std::runtime_error("cannot drop privileges");
        }
        action();
    });
}

} // namespace tovren::testing
