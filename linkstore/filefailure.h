#pragma once

#include "linkstoreapi.h"

#include <exception>
#include <string>

namespace tovren {

// The one kind of failure in Tovren: a link file could not be written or read.
// Raised by the link file operations and carried, unhandled, up to the shell that reports it.
class TOVREN_LINKSTORE_API FileFailure : public std::exception {
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
TOVREN_LINKSTORE_API const char* kindInWords(FileFailure::Kind kind);

// The kind's name as programs read it: "FileNotFound", "AccessDenied", ..., as in Kind.
TOVREN_LINKSTORE_API const char* kindName(FileFailure::Kind kind);

} // namespace tovren
