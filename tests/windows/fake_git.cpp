// Stands in for Git for Windows under Wine, where no Windows git is at hand: appends each call's
// arguments, as it received them, to the file FAKE_GIT_LOG names (one call a line, the arguments
// joined by "|", in UTF-8), answers "rev-parse --show-toplevel" with the folder after -C, and a
// question to its config ("--get", "--get-regexp") with "not set".
#include <string>
#include <windows.h>

namespace {

std::string utf8(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

void write(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::string call;
    std::string folder;
    bool asked = false;
    bool topLevel = false;
    for (int at = 1; at < argc; ++at) {
        const std::string argument = utf8(argv[at]);
        call += (at == 1 ? "" : "|") + argument;
        folder = at == 2 && call.starts_with("-C|") ? argument : folder;
        asked = asked || argument == "--get" || argument == "--get-regexp";
        topLevel = topLevel || argument == "--show-toplevel";
    }
    const HANDLE log = ::CreateFileW(_wgetenv(L"FAKE_GIT_LOG"), FILE_APPEND_DATA, FILE_SHARE_READ,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    write(log, call + "\n");
    ::CloseHandle(log);
    if (topLevel) {
        write(::GetStdHandle(STD_OUTPUT_HANDLE), folder + "\n");
    }
    return asked ? 1 : 0;
}
