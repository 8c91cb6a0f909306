#include "world/plainname.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifdef _WIN32
#include "linkstore/windows/widetext.h"
#endif

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

// The longest name of a file: in bytes on Linux, in UTF-16 units on Windows. The name of a link
// file is the map's name and ".link".
constexpr std::size_t longestFileName = 255;
constexpr std::size_t linkExtensionLength = 5;

bool tooLongForAFileName(const std::string& name) {
#ifdef _WIN32
    return toWide(name).size() + linkExtensionLength > longestFileName;
#else
    return name.size() + linkExtensionLength > longestFileName; // UTF-8, as Linux has it
#endif
}

// The characters of Unicode's general category Cf (format), which show nothing or turn the text
// that follows, so that one name can look like another: soft hyphen, zero-width spaces and
// joiners, the marks and isolates of bidirectional text, and the like (Unicode 15).
constexpr std::array<std::pair<char32_t, char32_t>, 21> formatCharacters{{
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x202A, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
}};

// The blanks of Unicode (general category Zs): the space, the no-break space and their kin.
constexpr std::array<std::pair<char32_t, char32_t>, 7> blanks{{
    {0x0020, 0x0020},
    {0x00A0, 0x00A0},
    {0x1680, 0x1680},
    {0x2000, 0x200A},
    {0x202F, 0x202F},
    {0x205F, 0x205F},
    {0x3000, 0x3000},
}};

template <std::size_t Size>
bool isAmong(char32_t character, const std::array<std::pair<char32_t, char32_t>, Size>& ranges) {
    return std::any_of(ranges.begin(), ranges.end(), [&](const auto& range) {
        return character >= range.first && character <= range.second;
    });
}

// The characters of UTF-8 text; a byte that starts no character stands for itself.
std::vector<char32_t> charactersOf(std::string_view text) {
    std::vector<char32_t> characters;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0xC0 ? 1 : (lead < 0xE0 ? 2 : (lead < 0xF0 ? 3 : 4));
        if (length == 1 || at + length > text.size()) {
            characters.push_back(lead);
            ++at;
            continue;
        }
        char32_t character = lead & (0x7FU >> length);
        for (std::size_t next = 1; next < length; ++next) {
            character = (character << 6U) | (static_cast<unsigned char>(text[at + next]) & 0x3FU);
        }
        characters.push_back(character);
        at += length;
    }
    return characters;
}

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
    if (tooLongForAFileName(name)) {
        return "The name is too long for a file name: with \".link\" it may be " +
               std::to_string(longestFileName) +
#ifdef _WIN32
               " characters at most.";
#else
               " bytes at most.";
#endif
    }
    const std::vector<char32_t> characters = charactersOf(name);
    if (std::any_of(characters.begin(), characters.end(),
                    [](char32_t c) { return isAmong(c, formatCharacters); })) {
        return "A map's name cannot hold a character that shows nothing or turns the text, such "
               "as a zero-width space or a mark of right-to-left text: one name would look like "
               "another.";
    }
    if (isAmong(characters.front(), blanks) || isAmong(characters.back(), blanks)) {
        return "A map's name cannot begin or end with a blank.";
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
