#include "world/plainname.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tovren {

namespace {

#ifdef _WIN32
constexpr std::string_view separators = "/\\";
constexpr std::string_view refusedByWindows = "<>:\"|?*";

std::string upperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

// CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 name devices, with any extension.
bool namesADevice(const std::string& name) {
    const std::string stem = upperCase(name.substr(0, name.find('.')));
    static constexpr std::array<std::string_view, 4> devices{"CON", "PRN", "AUX", "NUL"};
    if (std::find(devices.begin(), devices.end(), stem) != devices.end()) {
        return true;
    }
    return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
           stem[3] >= '1' && stem[3] <= '9';
}
#else
constexpr std::string_view separators = "/";
#endif

} // namespace

std::optional<std::string> whyNotAPlainName(const std::string& name) {
    if (name.empty()) {
        return "A new map needs a name.";
    }
    if (name == "." || name == "..") {
        return "A map cannot be named \"" + name + "\": it names a folder.";
    }
    if (name.find_first_of(separators) != std::string::npos) {
        return "A new map's name cannot hold a " +
               std::string(name.find('/') != std::string::npos ? "/" : "\\") +
               ": it would lead into another folder.";
    }
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        return "A map's name cannot hold a control character, such as a line break or a tab.";
    }
#ifdef _WIN32
    if (name.find_first_of(refusedByWindows) != std::string::npos) {
        return "Windows takes none of the characters < > : \" | ? * in a file's name.";
    }
    if (name.back() == ' ' || name.back() == '.') {
        return "Windows takes no name that ends with a blank or a dot.";
    }
    if (namesADevice(name)) {
        return "On Windows, " + name + " names a device, not a file.";
    }
#endif
    return std::nullopt;
}

} // namespace tovren
