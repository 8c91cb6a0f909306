#include "worldtool/cli/mergecommand.h"

#include "linkstore/hostcodepage.h"
#include "linkstore/linkfile.h"
#include "world/direction.h"
#include "world/recordmerge.h"
#include "worldtool/cli/commands.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace tovren {

namespace {

std::optional<LinkRecord> ancestor(const std::string& path) {
    try {
        return loadLinkFile(path);
    } catch (const FileFailure&) {
        return std::nullopt;
    }
}

// The lines in the host's code page, each ended by CR LF: the bytes the store saves.
std::string fileBytes(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += toHostCodePage(line);
        bytes += "\r\n";
    }
    return bytes;
}

std::string conflictingFields(const MergedRecord& merged) {
    std::string names;
    for (const Direction direction : allDirections) {
        if (merged[static_cast<std::size_t>(direction)].theirs) {
            names += (names.empty() ? "" : ", ") + std::string(directionName(direction));
        }
    }
    return names;
}

} // namespace

int mergeLinkFiles(const MergeOptions& options) {
    LinkRecord ours;
    LinkRecord theirs;
    try {
        ours = loadLinkFile(options.ours);
        theirs = loadLinkFile(options.theirs);
    } catch (const FileFailure& failure) {
        std::cerr << "tovren-world: cannot merge field by field: " << failure.description() << "; "
                  << options.ours << " is left as it was\n";
        return cannotDoIt;
    }
    const MergedRecord merged = mergeRecords(ancestor(options.base), ours, theirs);
    {
        // Emptied first: what lay after the fourth line is not part of either record.
        std::ofstream out(
            std::filesystem::path(std::u8string(options.ours.begin(), options.ours.end())),
            std::ios::binary | std::ios::trunc);
        out << fileBytes(mergedLines(merged));
        out.flush();
        if (!out) {
            std::cerr << "tovren-world: cannot write the merge into " << options.ours << '\n';
            return cannotDoIt;
        }
    }
    if (!isClean(merged)) {
        std::cout << "tovren-world: both sides changed " << conflictingFields(merged)
                  << " differently: marked between conflict markers for a person to choose\n";
        return worldHasFaults;
    }
    return worldIsSound;
}

} // namespace tovren
