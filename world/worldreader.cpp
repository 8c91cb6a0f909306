#include "world/worldreader.h"

#include "linkstore/linkfile.h"
#include "world/hostfolder.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

namespace tovren {

namespace {

constexpr std::size_t linkExtensionLength = 5; // ".link"

// A failure worded as the store words its own, for what is refused without being opened.
FileFailure refusal(const std::string& path, const char* reason) {
    return FileFailure(FileFailure::Kind::AccessDenied,
                       std::string(kindInWords(FileFailure::Kind::AccessDenied)) + ": " +
                           shownName(path) + " (" + reason + ")");
}

bool namesNoFile(const FileFailure& failure) {
    using Kind = FileFailure::Kind;
    return failure.kind() == Kind::FileNotFound || failure.kind() == Kind::PathNotFound ||
           failure.kind() == Kind::BadFileName;
}

std::optional<FileFailure> loadInto(WorldMap& map) {
    try {
        map.links = loadLinkFile(map.path);
    } catch (const FileFailure& failure) {
        return failure;
    }
    return std::nullopt;
}

class Reader {
public:
    explicit Reader(const std::string& folder) {
        read_.folder = absoluteFolder(folder);
        std::vector<LinkFileEntry> entries = listLinkFiles(read_.folder);
        std::vector<std::string> shown;
        shown.reserve(entries.size());
        for (const LinkFileEntry& entry : entries) {
            shown.push_back(shownName(entry.mapName));
        }
        std::vector<std::size_t> order(entries.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return shown[a] < shown[b]; });
        read_.maps.reserve(entries.size());
        byName_.reserve(entries.size());
        for (const std::size_t listed : order) {
            addFolderMap(entries[listed], std::move(shown[listed]));
        }
        const std::optional<std::string> probe = placeOf(linkFilePath(read_.folder, ""));
        folderPlace_ = probe ? std::string(folderOfPlace(*probe)) : std::string();
    }

    ReadMaps take() {
        // Texts may reach maps outside the folder, whose texts are followed in turn.
        const std::size_t folderMaps = read_.maps.size();
        for (std::size_t index = 0; index < read_.maps.size(); ++index) {
            for (const Direction direction : allDirections) {
                // A copy: following a text may add maps, and move the ones there are.
                const std::string text = read_.maps[index].text(direction);
                const std::optional<std::size_t> target = follow(index, direction, text);
                read_.maps[index].neighbours[static_cast<std::size_t>(direction)] = target;
            }
        }
        if (read_.maps.size() > folderMaps) {
            sortByName();
        }
        return std::move(read_);
    }

private:
    ReadMaps read_;
    std::string folderPlace_;
    std::unordered_map<std::string, std::size_t> byName_;  // maps of the folder, by name key
    std::unordered_map<std::string, std::size_t> byPlace_; // maps outside it, by place

    void addFolderMap(const LinkFileEntry& entry, std::string shown) {
        WorldMap& map = read_.maps.emplace_back();
        map.name = std::move(shown);
        map.linkText = entry.mapName;
        map.path = linkFilePath(read_.folder, entry.mapName);
        byName_.emplace(nameKey(entry.mapName), read_.maps.size() - 1);
        switch (entry.type) {
        case LinkFileEntry::Type::Folder:
            map.failure = refusal(map.path, "it is a folder, not a file");
            break;
        case LinkFileEntry::Type::Other:
            map.failure = refusal(map.path, "it is a device or a pipe, not a file");
            break;
        case LinkFileEntry::Type::File:
            map.failure = loadInto(map);
            break;
        }
    }

    std::optional<std::size_t> inFolder(const std::string& key) const {
        const auto found = byName_.find(key);
        return found != byName_.end() ? std::optional(found->second) : std::nullopt;
    }

    // Where a neighbour text leads, resolved as Tovren's Load resolves a map name.
    std::optional<std::size_t> follow(std::size_t from, Direction direction,
                                      const std::string& text) {
        if (text.empty()) {
            return std::nullopt;
        }
        if (!hasSeparator(text)) {
            return inFolder(nameKey(text));
        }
        const std::string path = linkFilePath(read_.folder, text);
        const std::optional<std::string> place = placeOf(path);
        if (place && !folderPlace_.empty() && folderOfPlace(*place) == folderPlace_) {
            const std::string_view fileName = nameOfPlace(*place);
            return inFolder(std::string(fileName.substr(0, fileName.size() - linkExtensionLength)));
        }
        const std::string key = place.value_or(path);
        if (const auto found = byPlace_.find(key); found != byPlace_.end()) {
            return found->second;
        }
        WorldMap outside;
        outside.name = shownName(text);
        outside.linkText = text;
        outside.path = path;
        outside.failure = loadInto(outside);
        if (outside.failure && namesNoFile(*outside.failure)) {
            read_.danglingFailures.emplace(std::pair(from, direction), *outside.failure);
            return std::nullopt;
        }
        read_.maps.push_back(std::move(outside));
        byPlace_.emplace(key, read_.maps.size() - 1);
        return read_.maps.size() - 1;
    }

    // Puts the maps from outside the folder among the others, by name.
    void sortByName() {
        std::vector<WorldMap>& maps = read_.maps;
        std::vector<std::size_t> order(maps.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return maps[a].name < maps[b].name; });
        std::vector<std::size_t> newIndex(order.size());
        for (std::size_t position = 0; position < order.size(); ++position) {
            newIndex[order[position]] = position;
        }
        std::vector<WorldMap> sorted;
        sorted.reserve(maps.size());
        for (const std::size_t old : order) {
            sorted.push_back(std::move(maps[old]));
            for (std::optional<std::size_t>& neighbour : sorted.back().neighbours) {
                if (neighbour) {
                    neighbour = newIndex[*neighbour];
                }
            }
        }
        maps = std::move(sorted);
        std::map<std::pair<std::size_t, Direction>, FileFailure> failures;
        for (auto& [where, failure] : read_.danglingFailures) {
            failures.emplace(std::pair(newIndex[where.first], where.second), std::move(failure));
        }
        read_.danglingFailures = std::move(failures);
    }
};

} // namespace

ReadMaps readMaps(const std::string& folder) {
    return Reader(folder).take();
}

} // namespace tovren
