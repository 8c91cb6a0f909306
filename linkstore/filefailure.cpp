#include "linkstore/filefailurebuilder.h"

#include <utility>

namespace tovren {

namespace {

// Longer paths are shortened in the middle so that a message box stays readable.
constexpr std::size_t longestShownPath = 240;

bool isContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0U) == 0x80U;
}

// Moves a cut position back to the start of a UTF-8 sequence so no character is split.
std::size_t characterBoundary(const std::string& text, std::size_t position) {
    while (position > 0 && position < text.size() && isContinuationByte(text[position])) {
        --position;
    }
    return position;
}

std::string shownPath(const std::string& path) {
    std::string shown = path;
    if (shown.size() > longestShownPath) {
        const std::size_t half = longestShownPath / 2;
        const std::size_t headEnd = characterBoundary(shown, half);
        const std::size_t tailStart = characterBoundary(shown, shown.size() - half);
        shown = shown.substr(0, headEnd) + "\u2026" + shown.substr(tailStart);
    }
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20U) {
            c = '?';
        }
    }
    return shown;
}

} // namespace

FileFailure::FileFailure(Kind kind, std::string description)
    : kind_(kind), description_(std::move(description)) {}

const char* kindInWords(FileFailure::Kind kind) {
    switch (kind) {
    case FileFailure::Kind::FileNotFound:
        return "File not found";
    case FileFailure::Kind::PathNotFound:
        return "Path not found";
    case FileFailure::Kind::BadFileName:
        return "Bad file name";
    case FileFailure::Kind::AccessDenied:
        return "Access denied";
    case FileFailure::Kind::InputPastEndOfFile:
        return "Input past end of file";
    case FileFailure::Kind::WriteFailure:
        return "Write failure";
    case FileFailure::Kind::OtherFailure:
        break;
    }
    return "File error";
}

const char* kindName(FileFailure::Kind kind) {
    switch (kind) {
    case FileFailure::Kind::FileNotFound:
        return "FileNotFound";
    case FileFailure::Kind::PathNotFound:
        return "PathNotFound";
    case FileFailure::Kind::BadFileName:
        return "BadFileName";
    case FileFailure::Kind::AccessDenied:
        return "AccessDenied";
    case FileFailure::Kind::InputPastEndOfFile:
        return "InputPastEndOfFile";
    case FileFailure::Kind::WriteFailure:
        return "WriteFailure";
    case FileFailure::Kind::OtherFailure:
        break;
    }
    return "OtherFailure";
}

FileFailure fileFailure(FileFailure::Kind kind, const std::string& path,
                        const std::string& reason) {
    std::string description = std::string(kindInWords(kind)) + ": " + shownPath(path);
    if (!reason.empty()) {
        description += " (" + reason + ")";
    }
    return {kind, std::move(description)};
}

} // namespace tovren
