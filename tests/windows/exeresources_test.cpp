// What Tovren.exe carries inside: the globe icon and its version, read back with the same
// interfaces Explorer uses.
#include "linkstore/windows/widetext.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace tovren {
namespace {

// The built Tovren.exe, as Wine sees the build machine's files: on drive Z:.
std::wstring tovrenExe() {
    std::wstring path = L"Z:" + toWide(TOVREN_EXE);
    for (wchar_t& c : path) {
        c = c == L'/' ? L'\\' : c;
    }
    return path;
}

std::wstring versionString(const std::vector<char>& info, const wchar_t* name) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), query.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return static_cast<const wchar_t*>(value);
}

TEST(TovrenExe, shouldCarryItsProductNameAndVersion) {
    const std::wstring exe = tovrenExe();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0U) << "no version information in " << fromWide(exe);
    std::vector<char> info(size);
    ASSERT_TRUE(::GetFileVersionInfoW(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1)); // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0U);             // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(versionString(info, L"ProductName"), L"Tovren!");
    EXPECT_EQ(versionString(info, L"FileVersion"), L"1.00");
    EXPECT_EQ(versionString(info, L"ProductVersion"), L"1.00");
    // What Explorer's Details and Task Manager show.
    EXPECT_EQ(versionString(info, L"FileDescription"),
              L"Edits which map lies past each edge of a game map");
    EXPECT_EQ(versionString(info, L"CompanyName"), L"The Tovren developers");
    EXPECT_EQ(versionString(info, L"LegalCopyright"), L"Copyright (C) 2026 The Tovren developers");
}

TEST(TovrenExe, shouldCarryTheGlobeIconAtEverySizeWindowsShows) {
    HMODULE exe = ::LoadLibraryExW(tovrenExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    for (const int size : {16, 24, 32, 48}) {
        HANDLE icon = ::LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0);
        EXPECT_NE(icon, nullptr) << size;
        ICONINFO iconInfo{};
        ASSERT_TRUE(::GetIconInfo(static_cast<HICON>(icon), &iconInfo));
        BITMAP bitmap{};
        ::GetObjectW(iconInfo.hbmColor, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        ::DeleteObject(iconInfo.hbmColor);
        ::DeleteObject(iconInfo.hbmMask);
        ::DestroyIcon(static_cast<HICON>(icon));
    }
    // Each picture is a bitmap, which every Windows reads, but for the 256-pixel one, a PNG.
    const auto* group = static_cast<const BYTE*>(::LockResource(
        ::LoadResource(exe, ::FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)))));
    ASSERT_NE(group, nullptr);
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    EXPECT_EQ(count, 7);
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = group + 6 + 14 * i; // GRPICONDIRENTRY: width first, id last
        const WORD id = *reinterpret_cast<const WORD*>(entry + 12);
        const auto* picture = static_cast<const BYTE*>(::LockResource(
            ::LoadResource(exe, ::FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3)))));
        ASSERT_NE(picture, nullptr);
        const bool isPng = picture[0] == 0x89 && picture[1] == 'P';
        EXPECT_EQ(isPng, entry[0] == 0) << "picture " << i << ", width byte " << int{entry[0]};
    }
    ::FreeLibrary(exe);
}

} // namespace
} // namespace tovren
