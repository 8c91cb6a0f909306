#include "linkstore/windows/widetext.h"

#include <climits>
#include <new>
#include <windows.h>

namespace tovren {

namespace {
int checkedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        throw std::bad_alloc(); // longer than Windows converts at once
    }
    return static_cast<int>(size);
}
} // namespace

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int length = checkedLength(utf8.size());
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), wideLength);
    return wide;
}

std::string fromWide(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int length = checkedLength(utf16.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, utf8.data(), size, nullptr, nullptr);
    return utf8;
}

} // namespace tovren
