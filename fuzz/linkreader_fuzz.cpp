// Any bytes as a link file: the real load and the line reader, fed in pieces cut anywhere, give
// the same four lines as the reference reading, or InputPastEndOfFile when it has no four.
#include "linkstore/hostcodepage.h"
#include "linkstore/linkfile.h"
#include "linkstore/linkformat.h"
#include "memoryfile.h"
#include "referencereader.h"

#include <cstdint>
#include <cstdlib>

using namespace tovren;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Feeds the bytes in pieces whose lengths come from the seed.
std::optional<std::array<std::string, 4>> readInPieces(std::string_view bytes, uint8_t seed) {
    LinkLineReader reader;
    std::size_t position = 0;
    unsigned step = seed;
    while (position < bytes.size()) {
        step = step * 1103515245U + 12345U;
        const std::size_t length = std::min<std::size_t>(1 + (step >> 16) % 17, bytes.size() - position);
        reader.feed(bytes.substr(position, length));
        position += length;
    }
    if (!reader.finish()) {
        return std::nullopt;
    }
    return reader.lines();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto expected = fuzz::referenceLines(bytes);

    check(readInPieces(bytes, size > 0 ? data[0] : 0) == expected);

    file.fill(bytes);
    try {
        const LinkRecord record = loadLinkFile(file.path());
        check(expected.has_value());
        check(record.up == fromHostCodePage((*expected)[0]));
        check(record.down == fromHostCodePage((*expected)[1]));
        check(record.left == fromHostCodePage((*expected)[2]));
        check(record.right == fromHostCodePage((*expected)[3]));
    } catch (const FileFailure& failure) {
        check(!expected.has_value());
        check(failure.kind() == FileFailure::Kind::InputPastEndOfFile);
    }
    return 0;
}
