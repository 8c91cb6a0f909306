// Any bytes as the journal of a change of the world, as every command reads it: told whole,
// torn or newer, never a crash or a hang; and a journal told whole is the one way of writing its
// change, so that what is carried out is exactly what was written.
#include "world/changejournal.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tovren;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Journal journal = readJournalBytes(bytes);
    if (journal.state == Journal::State::Whole && journalBytes(journal.change) != bytes) {
        std::abort();
    }
    return 0;
}
