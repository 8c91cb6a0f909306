#include "world/worldtypes.h"

namespace tovren {

const char* findingKindName(FindingKind kind) {
    switch (kind) {
    case FindingKind::OneWay:
        return "one-way";
    case FindingKind::Dangling:
        return "dangling";
    case FindingKind::Unreadable:
        return "unreadable";
    case FindingKind::Wrap:
        return "wrap";
    case FindingKind::Overlap:
        return "overlap";
    case FindingKind::Conflict:
        break;
    }
    return "conflict";
}

} // namespace tovren
