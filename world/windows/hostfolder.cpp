// Folders and file names on Windows: names are UTF-16 to the host and UTF-8 here, and two names
// that differ in letter case only name one file.
#include "world/hostfolder.h"

#include "linkstore/linkfile.h"
#include "linkstore/windows/widetext.h"
#include "world/worldtypes.h"

#include <windows.h>

namespace tovren {

namespace {

constexpr std::wstring_view linkExtension = L".link";

[[noreturn]] void failToList(const std::string& folder, DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason =
        length > 0 ? std::wstring(text, length) : L"error " + std::to_wstring(error);
    ::LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L'.')) {
        reason.pop_back();
    }
    throw FolderFailure("Cannot read the folder " + folder + ": " + fromWide(reason));
}

std::wstring upperCase(std::wstring text) {
    if (!text.empty()) {
        ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

bool endsWithLinkExtension(std::wstring_view name) {
    return name.size() >= linkExtension.size() &&
           upperCase(std::wstring(name.substr(name.size() - linkExtension.size()))) ==
               upperCase(std::wstring(linkExtension));
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring full(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(length < size ? length : 0);
    return full;
}

// The path of a file or folder as Windows has it once every link and junction on its way is
// followed, in capitals; empty where it cannot be opened.
std::wstring finalPath(const std::wstring& path) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length =
        ::GetFinalPathNameByHandleW(file, resolved.data(), static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(file, resolved.data(),
                                             static_cast<DWORD>(resolved.size()), 0);
    }
    ::CloseHandle(file);
    resolved.resize(length < resolved.size() ? length : 0);
    for (const std::wstring_view prefix :
         {std::wstring_view(L"\\\\?\\UNC\\"), std::wstring_view(L"\\\\?\\")}) {
        if (resolved.starts_with(prefix)) {
            resolved.replace(0, prefix.size(), prefix.size() > 4 ? L"\\\\" : L"");
            break;
        }
    }
    return upperCase(resolved);
}

} // namespace

std::string absoluteFolder(const std::string& folder) {
    std::wstring full = fullPath(toWide(folder.empty() ? "." : folder));
    if (full.empty()) {
        failToList(folder, ::GetLastError());
    }
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) {
        full.pop_back();
    }
    return fromWide(full);
}

void listLinkFiles(const std::string& folder, const std::function<void(LinkFileEntry&&)>& found,
                   const std::function<void(TiledFileEntry&&)>& tiledFound) {
    const DWORD attributes = ::GetFileAttributesW(toWide(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        failToList(folder, ::GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        failToList(folder, ERROR_DIRECTORY);
    }
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = toWide(folder) + (folder.ends_with('\\') ? L"*" : L"\\*");
    const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                             FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            return;
        }
        failToList(folder, error);
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (!endsWithLinkExtension(name)) {
            const std::wstring ending =
                name.size() > 4 ? upperCase(std::wstring(name.substr(name.size() - 4))) : L"";
            if (tiledFound && (ending == L".TMX" || ending == L".TMJ") &&
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                tiledFound({fromWide(name.substr(0, name.size() - 4)), ending == L".TMJ"});
            }
            continue;
        }
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found({fromWide(name.substr(0, name.size() - linkExtension.size())),
               isFolder ? LinkFileEntry::Type::Folder : LinkFileEntry::Type::File});
    } while (::FindNextFileW(search, &data));
    const DWORD error = ::GetLastError();
    ::FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        failToList(folder, error);
    }
}

std::optional<LinkFileEntry> linkFileEntry(const std::string& folder, const std::string& mapName) {
    const std::string path = linkFilePath(folder, mapName);
    const DWORD attributes = ::GetFileAttributesW(toWide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return std::nullopt;
        }
        return LinkFileEntry{mapName, LinkFileEntry::Type::File}; // the store tells what is wrong
    }
    const bool isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return LinkFileEntry{mapName,
                         isFolder ? LinkFileEntry::Type::Folder : LinkFileEntry::Type::File};
}

std::string nameKey(const std::string& mapName) {
    return fromWide(upperCase(toWide(mapName)));
}

std::string shownName(const std::string& mapName) {
    return mapName;
}

bool hasSeparator(std::string_view mapName) {
    return mapName.find_first_of("\\/") != std::string_view::npos;
}

std::size_t nameStart(std::string_view text) {
    const std::size_t separator = text.find_last_of("\\/");
    return separator == std::string_view::npos ? 0 : separator + 1;
}

std::optional<std::string> placeOf(const std::string& path) {
    const std::wstring full = fullPath(toWide(path));
    const std::size_t separator = full.find_last_of(L"\\/");
    if (full.empty() || separator == std::wstring::npos) {
        return std::nullopt;
    }
    const DWORD attributes = ::GetFileAttributesW(full.substr(0, separator + 1).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::nullopt;
    }
    return fromWide(upperCase(full));
}

bool liesInside(const std::string& path, const std::string& folder) {
    const std::wstring base = finalPath(toWide(folder));
    std::wstring real = finalPath(toWide(path));
    if (real.empty()) { // not there: where it would be made
        const std::wstring full = fullPath(toWide(path));
        const std::size_t separator = full.find_last_of(L"\\/");
        const std::wstring parent =
            separator == std::wstring::npos ? L"" : finalPath(full.substr(0, separator + 1));
        real = parent.empty() ? L"" : parent + L"\\" + upperCase(full.substr(separator + 1));
    }
    const std::wstring within = base.ends_with(L'\\') ? base : base + L"\\";
    return !base.empty() && real.size() > within.size() && real.starts_with(within);
}

std::optional<std::string> folderIdentity(const std::string& folder) {
    const HANDLE handle = ::CreateFileW(
        toWide(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = ::GetFileInformationByHandle(handle, &information) &&
                       (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    ::CloseHandle(handle);
    if (!known) {
        return std::nullopt;
    }
    return std::to_string(information.dwVolumeSerialNumber) + ":" +
           std::to_string(information.nFileIndexHigh) + ":" +
           std::to_string(information.nFileIndexLow);
}

bool isLink(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::string_view folderOfPlace(std::string_view place) {
    return place.substr(0, place.find_last_of("\\/"));
}

std::string_view nameOfPlace(std::string_view place) {
    return place.substr(place.find_last_of("\\/") + 1);
}

} // namespace tovren
