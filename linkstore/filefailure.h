#pragma once

#include <exception>
#include <string>

namespace tovren {

// The one kind of failure in Tovren: a link file could not be written or read.
// Raised by the link file operations and carried, unhandled, up to the shell that reports it.
class FileFailure : public std::exception {
public:
    enum class Kind {
        FileNotFound,
        PathNotFound,
        BadFileName,
        AccessDenied,
        InputPastEndOfFile,
        WriteFailure,
        OtherFailure,
    };

    // The description is a short sentence for the user; it names the kind in words.
    FileFailure(Kind kind, std::string description);

    Kind kind() const noexcept { return kind_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    Kind kind_;
    std::string description_;
};

// The kind's name in words, as it starts a description: "File not found", "Access denied", ...
const char* kindInWords(FileFailure::Kind kind);

// Builds the failure for a file: "<kind in words>: <path>" and, when given, the reason in
// brackets. Control characters and overly long paths are made fit for a message box.
FileFailure fileFailure(FileFailure::Kind kind, const std::string& path,
                        const std::string& reason = {});

// Refuses, as BadFileName, a path that no host can pass as a file name: one holding a NUL
// byte, which would silently cut the name short and name another file.
void refuseUnusablePath(const std::string& path);

} // namespace tovren
