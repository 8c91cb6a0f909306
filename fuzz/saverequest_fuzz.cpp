// Any bytes as the body of POST /api/save: the request is taken or refused with a sentence,
// never a crash, a hang or a leak; and what is taken holds what was promised of it: every map
// named once, with records of four texts that no carriage return breaks apart, and a removal
// only of a file whose record is expected.
#include "worldtool/edit/http/saverequest.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>
#include <variant>

using namespace tovren;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool holdsOneLine(const LinkRecord& record) {
    for (const std::string* text : {&record.up, &record.down, &record.left, &record.right}) {
        if (text->find('\r') != std::string::npos) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const std::variant<SaveRequest, std::string> parsed = parseSaveRequest(body);
    if (const std::string* why = std::get_if<std::string>(&parsed)) {
        check(!why->empty() && why->back() == '.');
        return 0;
    }
    std::set<std::string> names;
    for (const MapSave& save : std::get<SaveRequest>(parsed).saves) {
        check(names.insert(save.map).second);
        check(save.links || save.expect);
        check(!save.links || holdsOneLine(*save.links));
        check(!save.expect || holdsOneLine(*save.expect));
    }
    return 0;
}
