// The encoding rule: any bytes read give well-formed UTF-8 that keeps every valid sequence as it
// is, and whatever was read comes back the same after a save and a second load.
#include "linkstore/hostcodepage.h"
#include "linkstore/linkfile.h"
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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static fuzz::MemoryFile file;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = fromHostCodePage(bytes);
    check(fuzz::isWellFormedUtf8(text));
    check(fromHostCodePage(toHostCodePage(text)) == text);
    if (fuzz::isWellFormedUtf8(bytes)) {
        check(text == bytes);
    }
    check(text.size() >= bytes.size()); // no byte is ever dropped

    // Read as a link file, saved, read again: the same four texts.
    file.fill(bytes);
    try {
        const LinkRecord first = loadLinkFile(file.path());
        file.fill("");
        saveLinkFile(file.path(), first);
        check(loadLinkFile(file.path()) == first);
    } catch (const FileFailure& failure) {
        check(failure.kind() == FileFailure::Kind::InputPastEndOfFile);
    }
    return 0;
}
