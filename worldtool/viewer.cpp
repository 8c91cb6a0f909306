#include "worldtool/viewer.h"

#ifdef _WIN32
#include "linkstore/windows/widetext.h"

#include <windows.h>
// (after windows.h, which it needs)
#include <shellapi.h>
#else
#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

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

std::optional<std::string> openInBrowser(const std::string& url) {
    return openInViewer(url); // the shell returns once the browser has been asked
}

#else

std::optional<std::string> openInViewer(const std::string& path) {
    std::string program = "xdg-open";
    std::string file = path;
    char* arguments[] = {program.data(), file.data(), nullptr};
    pid_t child = 0;
    const int error = ::posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ);
    if (error != 0) {
        return "cannot start xdg-open to show " + path + ": " + std::strerror(error);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) == -1 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "xdg-open could not show " + path;
    }
    return std::nullopt;
}

std::optional<std::string> openInBrowser(const std::string& url) {
    std::string program = "xdg-open";
    std::string address = url;
    char* arguments[] = {program.data(), address.data(), nullptr};
    pid_t child = 0;
    const int error = ::posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ);
    if (error != 0) {
        return "cannot start xdg-open to open the browser: " + std::string(std::strerror(error));
    }
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) == -1 && errno == EINTR) {
        }
    }).detach();
    return std::nullopt;
}

#endif

} // namespace tovren
