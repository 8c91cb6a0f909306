#include "worldtool/cli/viewer.h"

#ifdef _WIN32
#include "linkstore/windows/widetext.h"

#include <array>
#include <windows.h>
// (after windows.h, which they need)
#include <shellapi.h>
#include <shlwapi.h>
#else
#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <variant>

extern char** environ;
#endif

namespace tovren {

#ifdef _WIN32

std::optional<std::string> openInViewer(const std::string& path) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", toWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        return "Windows has no program to open " + path + " with (error " + std::to_string(result) +
               ")";
    }
    return std::nullopt;
}

// The command that opens web addresses, the browser the user chose, with the page's file in
// place of %1: no program need be set for .html files (Wine sets none).
std::optional<std::wstring> browserCommand(const std::string& page) {
    std::array<wchar_t, 2048> command{};
    DWORD size = static_cast<DWORD>(command.size());
    if (::AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_COMMAND, L"http", L"open", command.data(),
                            &size) != S_OK) {
        return std::nullopt;
    }
    std::wstring line(command.data());
    const std::wstring file = toWide(page);
    const std::size_t at = line.find(L"%1");
    if (at == std::wstring::npos) {
        return line + L" \"" + file + L"\"";
    }
    const bool quoted = at > 0 && line[at - 1] == L'"';
    return line.replace(at, 2, quoted ? file : L"\"" + file + L"\"");
}

std::optional<std::string> openInBrowser(const std::string& page) {
    if (std::optional<std::wstring> command = browserCommand(page)) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (::CreateProcessW(nullptr, command->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &started)) {
            ::CloseHandle(started.hThread);
            ::CloseHandle(started.hProcess);
            return std::nullopt;
        }
    }
    return openInViewer(page); // the shell returns once the browser has been asked
}

#else

namespace {

// Starts xdg-open on a path or an address: its process, or why it could not start.
std::variant<pid_t, std::string> startXdgOpen(const std::string& what) {
    std::string program = "xdg-open";
    std::string argument = what;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    const int error = ::posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ);
    if (error != 0) {
        return "cannot start xdg-open to open " + what + ": " + std::strerror(error);
    }
    return child;
}

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) == -1 && errno == EINTR) {
    }
    return status;
}

} // namespace

std::optional<std::string> openInViewer(const std::string& path) {
    const auto started = startXdgOpen(path);
    if (const std::string* failure = std::get_if<std::string>(&started)) {
        return *failure;
    }
    const int status = waitFor(std::get<pid_t>(started));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "xdg-open could not show " + path;
    }
    return std::nullopt;
}

std::optional<std::string> openInBrowser(const std::string& page) {
    const auto started = startXdgOpen(page);
    if (const std::string* failure = std::get_if<std::string>(&started)) {
        return *failure;
    }
    std::thread([child = std::get<pid_t>(started)] { waitFor(child); }).detach();
    return std::nullopt;
}

#endif

} // namespace tovren
