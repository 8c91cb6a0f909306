#pragma once

#include "linkstore/linkrecord.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tovren {

// The link file's format, shared by every host's save and load: a record's bytes, and its
// lines read back.

// The bytes of a link file, the byte layout shared by every host. The texts must already be in
// the host's code page: each followed by CR LF, in the order up, down, left, right.
std::string linkFileBytes(const std::array<std::string, 4>& hostLines);

// The bytes a record is saved as on this host: its texts in the host's code page, each
// followed by CR LF.
std::string linkFileBytesOnThisHost(const LinkRecord& record);

// Fills the buffer with the file's next bytes and returns how many; 0 at the end of the file.
using ReadSome = std::function<std::size_t(char* buffer, std::size_t size)>;

// Reads the first four lines of the file at `path` through `readSome`, stopping once they are
// in hand, and converts them from the host's code page. Throws InputPastEndOfFile when the
// file has fewer lines, and OtherFailure when they are too long to fit in memory, or do not
// end within `mostBytes`.
LinkRecord readLinkRecord(const std::string& path, const ReadSome& readSome,
                          std::size_t mostBytes = SIZE_MAX);

// Splits a link file into its first four lines as its bytes arrive, a buffer at a time.
// A line ends at CR; an LF right after that CR belongs to the terminator; a lone LF is an
// ordinary character. A CR at the end of one buffer with its LF at the start of the next is
// still one terminator.
class LinkLineReader {
public:
    static constexpr std::size_t lineCount = 4;

    // Takes the next bytes of the file. Bytes after the fourth line's end are not looked at.
    void feed(std::string_view bytes);

    // True once four lines are in hand: the rest of the file need not be read.
    bool complete() const noexcept { return finishedLines_ == lineCount; }

    // Called at the end of the file: a last line without terminator counts as a line.
    // Returns false when a line is still missing, i.e. one was asked for at the end of the file.
    bool finish() noexcept;

    // The four lines, raw bytes without terminators. Only meaningful after complete().
    std::array<std::string, lineCount>& lines() noexcept { return lines_; }

private:
    std::array<std::string, lineCount> lines_;
    std::size_t finishedLines_ = 0;
    bool lineStarted_ = false;  // the current line has at least one byte
    bool skipLineFeed_ = false; // the previous byte was a CR that ended a line
};

} // namespace tovren
