// Link files hold text in the ANSI code page of the machine, as every Windows program of their
// kind writes them. Conversion goes through UTF-16; a character the code page cannot hold is
// written as the code page's default character.
#include "linkstore/hostcodepage.h"
#include "linkstore/windows/widetext.h"

#include <climits>
#include <new>
#include <windows.h>

namespace tovren {

std::string toHostCodePage(const std::string& text) {
    const std::wstring wide = toWide(text);
    if (wide.empty()) {
        return {};
    }
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) {
        throw std::bad_alloc();
    }
    const int length = static_cast<int>(wide.size());
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string fromHostCodePage(std::string bytes) {
    if (bytes.empty()) {
        return bytes;
    }
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        throw std::bad_alloc();
    }
    const int length = static_cast<int>(bytes.size());
    const int wideLength = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), wideLength);
    return fromWide(wide);
}

} // namespace tovren
