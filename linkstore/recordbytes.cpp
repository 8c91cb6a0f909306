#include "linkstore/recordbytes.h"

#include "linkstore/filefailurebuilder.h"
#include "linkstore/hostcodepage.h"
#include "linkstore/linkformat.h"

#include <memory>
#include <new>
#include <string_view>

namespace tovren {

namespace {

constexpr std::size_t readBufferSize = std::size_t{64} * 1024;

LinkRecord readLines(const std::string& path, const ReadSome& readSome) {
    LinkLineReader reader;
    // Not zeroed: a link file is read far more often than it is as long as the buffer.
    const std::unique_ptr<char[]> buffer(new char[readBufferSize]);
    while (!reader.complete()) {
        const std::size_t count = readSome(buffer.get(), readBufferSize);
        if (count == 0) {
            break;
        }
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

std::string savedBytes(const LinkRecord& record) {
    return linkFileBytes({toHostCodePage(record.up), toHostCodePage(record.down),
                          toHostCodePage(record.left), toHostCodePage(record.right)});
}

LinkRecord readRecord(const std::string& path, const ReadSome& readSome) {
    try {
        return readLines(path, readSome);
    } catch (const std::bad_alloc&) {
        // Lines longer than memory can hold are a file problem to tell, not a reason to crash.
        throw fileFailure(FileFailure::Kind::OtherFailure, path,
                          "its lines are too long to fit in memory");
    }
}

} // namespace tovren
