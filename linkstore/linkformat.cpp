#include "linkstore/linkformat.h"

#include "linkstore/filefailurebuilder.h"
#include "linkstore/hostcodepage.h"

#include <algorithm>
#include <memory>
#include <new>

namespace tovren {

namespace {
constexpr std::string_view lineEnd = "\r\n";
}

std::string linkFileBytes(const std::array<std::string, 4>& hostLines) {
    std::size_t size = 0;
    for (const std::string& line : hostLines) {
        size += line.size() + lineEnd.size();
    }
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : hostLines) {
        bytes += line;
        bytes += lineEnd;
    }
    return bytes;
}

void LinkLineReader::feed(std::string_view bytes) {
    std::size_t position = 0;
    while (position < bytes.size() && !complete()) {
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (bytes[position] == '\n') {
                ++position;
                continue;
            }
        }
        std::string& line = lines_[finishedLines_];
        const std::size_t carriageReturn = bytes.find('\r', position);
        if (carriageReturn == std::string_view::npos) {
            line.append(bytes.substr(position));
            lineStarted_ = true;
            return;
        }
        line.append(bytes.substr(position, carriageReturn - position));
        ++finishedLines_;
        lineStarted_ = false;
        skipLineFeed_ = true;
        position = carriageReturn + 1;
    }
}

bool LinkLineReader::finish() noexcept {
    if (!complete() && lineStarted_) {
        ++finishedLines_;
        lineStarted_ = false;
    }
    return complete();
}

namespace {

constexpr std::size_t readBufferSize = std::size_t{64} * 1024;

// "1 MiB", "100 bytes".
std::string sizeInWords(std::size_t bytes) {
    constexpr std::size_t mebibyte = std::size_t{1} << 20U;
    return bytes % mebibyte == 0 ? std::to_string(bytes / mebibyte) + " MiB"
                                 : std::to_string(bytes) + " bytes";
}

LinkRecord readLines(const std::string& path, const ReadSome& readSome, std::size_t mostBytes) {
    LinkLineReader reader;
    // Not zeroed: a link file is read far more often than it is as long as the buffer.
    const std::unique_ptr<char[]> buffer(new char[readBufferSize]);
    std::size_t read = 0;
    while (!reader.complete()) {
        if (read >= mostBytes) {
            throw fileFailure(FileFailure::Kind::OtherFailure, path,
                              "larger than any link file: its first four lines do not end within " +
                                  sizeInWords(mostBytes));
        }
        const std::size_t count =
            readSome(buffer.get(), std::min(readBufferSize, mostBytes - read));
        if (count == 0) {
            break;
        }
        read += count;
        reader.feed(std::string_view(buffer.get(), count));
    }
    if (!reader.finish()) {
        throw fileFailure(FileFailure::Kind::InputPastEndOfFile, path,
                          "the file has fewer than four lines");
    }
    auto& lines = reader.lines();
    return {fromHostCodePage(std::move(lines[0])), fromHostCodePage(std::move(lines[1])),
            fromHostCodePage(std::move(lines[2])), fromHostCodePage(std::move(lines[3]))};
}

} // namespace

std::string linkFileBytesOnThisHost(const LinkRecord& record) {
    return linkFileBytes(
        std::array<std::string, 4>{toHostCodePage(record.up), toHostCodePage(record.down),
                                   toHostCodePage(record.left), toHostCodePage(record.right)});
}

LinkRecord readLinkRecord(const std::string& path, const ReadSome& readSome,
                          std::size_t mostBytes) {
    try {
        return readLines(path, readSome, mostBytes);
    } catch (const std::bad_alloc&) {
        // Lines longer than memory can hold are a file problem to tell, not a reason to crash.
        throw fileFailure(FileFailure::Kind::OtherFailure, path,
                          "its lines are too long to fit in memory");
    }
}

} // namespace tovren
