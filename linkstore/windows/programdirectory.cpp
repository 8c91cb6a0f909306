#include "linkstore/filefailurebuilder.h"
#include "linkstore/linkfile.h"
#include "linkstore/windows/widetext.h"

#include <windows.h>

namespace tovren {

std::string programDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw fileFailure(FileFailure::Kind::OtherFailure, "Tovren.exe",
                              "the program cannot tell where it is installed");
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // cut short: try a larger buffer
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    std::wstring directory = path.substr(0, separator);
    if (directory.size() == 2 && directory[1] == L':') {
        directory += L'\\'; // a root directory, C:\, keeps its separator
    }
    return fromWide(directory);
}

} // namespace tovren
