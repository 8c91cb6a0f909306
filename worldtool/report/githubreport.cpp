#include "worldtool/report/githubreport.h"

#include "worldtool/report/findingplace.h"
#include "worldtool/report/report.h"

#include <ostream>

namespace tovren {

namespace {

// A command's message and its properties are escaped as the runner reads them back: a line
// break would end the command, and in a property a comma or a colon would end the property.
std::string escaped(const std::string& text, bool property) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '%':
            out += "%25";
            break;
        case '\r':
            out += "%0D";
            break;
        case '\n':
            out += "%0A";
            break;
        case ':':
            out += property ? "%3A" : ":";
            break;
        case ',':
            out += property ? "%2C" : ",";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

void writeGithubReport(const World& world, std::ostream& out) {
    for (const Finding& finding : world.findings) {
        const FindingPlace place = findingPlace(world, finding);
        out << "::" << (finding.severity() == Severity::Error ? "error" : "warning")
            << " file=" << escaped(place.file, true);
        if (place.firstLine) {
            out << ",line=" << *place.firstLine;
            if (place.lastLine != place.firstLine) {
                out << ",endLine=" << *place.lastLine;
            }
        }
        out << ",title=" << escaped(findingKindName(finding.kind), true)
            << "::" << escaped(finding.message, false) << '\n';
    }
    out << summaryLine(world) << '\n';
}

} // namespace tovren
