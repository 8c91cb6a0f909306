#include "worldtool/cli/childprogram.h"

#ifdef _WIN32
#include "linkstore/windows/widetext.h"

#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace tovren {

#ifdef _WIN32

namespace {

// One argument as the C runtime of the program started splits its command line: quoted where
// it holds a blank or a quote, each quote and the backslashes before it escaped.
std::wstring quotedArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        return argument;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

class Handle {
public:
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    HANDLE* out() { return &handle_; }
    HANDLE get() const { return handle_; }
    void close() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

std::string lastError(const std::string& what) {
    return what + " (Windows error " + std::to_string(::GetLastError()) + ")";
}

} // namespace

std::variant<ProgramRun, std::string> runProgram(const std::vector<std::string>& arguments) {
    std::wstring commandLine;
    for (const std::string& argument : arguments) {
        commandLine += (commandLine.empty() ? L"" : L" ") + quotedArgument(toWide(argument));
    }
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle readEnd;
    Handle writeEnd;
    Handle errorEnd;
    if (!::CreatePipe(readEnd.out(), writeEnd.out(), &inheritable, 0) ||
        !::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0)) {
        return lastError("cannot make a pipe to " + arguments.front());
    }
    const HANDLE ownError = ::GetStdHandle(STD_ERROR_HANDLE);
    if (ownError != nullptr && ownError != INVALID_HANDLE_VALUE) {
        ::DuplicateHandle(::GetCurrentProcess(), ownError, ::GetCurrentProcess(), errorEnd.out(), 0,
                          TRUE, DUPLICATE_SAME_ACCESS);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = errorEnd.get();
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &started)) {
        return lastError("cannot start " + arguments.front());
    }
    ::CloseHandle(started.hThread);
    writeEnd.close(); // so that reading ends when the program does
    ProgramRun run;
    char buffer[4096];
    DWORD count = 0;
    while (::ReadFile(readEnd.get(), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        run.output.append(buffer, count);
    }
    ::WaitForSingleObject(started.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(started.hProcess, &status);
    ::CloseHandle(started.hProcess);
    run.status = static_cast<int>(status);
    return run;
}

std::string thisProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return fromWide(path);
        }
        path.resize(path.size() * 2);
    }
}

#else

std::variant<ProgramRun, std::string> runProgram(const std::vector<std::string>& arguments) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == -1) {
        return "cannot make a pipe to " + arguments.front() + ": " + std::strerror(errno);
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int failed = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    if (failed != 0) {
        ::close(ends[0]);
        return "cannot start " + arguments.front() + ": " + std::strerror(failed);
    }
    ProgramRun run;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(ends[0], buffer, sizeof buffer);
        if (count > 0) {
            run.output.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            break;
        }
    }
    ::close(ends[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) == -1 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

std::string thisProgramPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

#endif

} // namespace tovren
