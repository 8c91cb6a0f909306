#include "world/worldreader.h"

#include "linkstore/linkfile.h"
#include "world/hostfolder.h"

#include <deque>
#include <unordered_map>

namespace tovren {

namespace {

constexpr std::size_t linkExtensionLength = 5; // ".link"

// A failure built as the store builds its own, for what is refused without being opened.
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

class Reader {
public:
    explicit Reader(const std::string& folder) {
        read_.folder = absoluteFolder(folder);
        std::vector<LinkFileEntry> entries = listLinkFiles(read_.folder);
        const std::optional<std::string> probe = placeOf(linkFilePath(read_.folder, ""));
        folderPlace_ = probe ? std::string(folderOfPlace(*probe)) : std::string();
        for (LinkFileEntry& entry : entries) {
            const std::size_t index = addMap(entry.mapName, entry.mapName);
            byName_.emplace(nameKey(entry.mapName), index);
            read_.folderNames.push_back(shownName(entry.mapName));
            if (entry.type == LinkFileEntry::Type::Folder) {
                read_.maps[index].failure =
                    refusal(read_.maps[index].path, "it is a folder, not a file");
            } else if (entry.type == LinkFileEntry::Type::Other) {
                read_.maps[index].failure =
                    refusal(read_.maps[index].path, "it is a device or a pipe, not a file");
            } else {
                load(index);
            }
        }
    }

    ReadMaps take() {
        // Texts may reach further maps outside the folder, whose texts are followed in turn.
        for (std::size_t index = 0; index < read_.maps.size(); ++index) {
            for (const Direction direction : allDirections) {
                // A copy: following a text may add maps, and move the ones there are.
                Link link = follow(read_.maps[index].text(direction));
                read_.links[index][static_cast<std::size_t>(direction)] = std::move(link);
            }
        }
        return std::move(read_);
    }

private:
    ReadMaps read_;
    std::string folderPlace_;
    std::unordered_map<std::string, std::size_t> byName_;  // maps of the folder, by name key
    std::unordered_map<std::string, std::size_t> byPlace_; // maps outside it, by place

    std::size_t addMap(const std::string& mapName, const std::string& shownAs) {
        WorldMap map;
        map.name = shownName(shownAs);
        map.path = linkFilePath(read_.folder, mapName);
        read_.maps.push_back(std::move(map));
        read_.links.emplace_back();
        return read_.maps.size() - 1;
    }

    void load(std::size_t index) {
        WorldMap& map = read_.maps[index];
        try {
            map.links = loadLinkFile(map.path);
        } catch (const FileFailure& failure) {
            map.failure = failure;
        }
    }

    Link toMap(std::size_t index) {
        Link link;
        link.state = Link::State::Map;
        link.map = index;
        return link;
    }

    Link dangling(std::optional<FileFailure> failure) {
        Link link;
        link.state = Link::State::Dangling;
        link.failure = std::move(failure);
        return link;
    }

    // Where a neighbour text leads, resolved as Tovren's Load resolves a map name.
    Link follow(std::string text) {
        if (text.empty()) {
            return {};
        }
        if (!hasSeparator(text)) {
            const auto found = byName_.find(nameKey(text));
            return found != byName_.end() ? toMap(found->second) : dangling(std::nullopt);
        }
        const std::string path = linkFilePath(read_.folder, text);
        const std::optional<std::string> place = placeOf(path);
        if (place && !folderPlace_.empty() && folderOfPlace(*place) == folderPlace_) {
            const std::string_view fileName = nameOfPlace(*place);
            const auto found = byName_.find(
                std::string(fileName.substr(0, fileName.size() - linkExtensionLength)));
            return found != byName_.end() ? toMap(found->second) : dangling(std::nullopt);
        }
        const std::string key = place.value_or(path);
        if (const auto found = byPlace_.find(key); found != byPlace_.end()) {
            return toMap(found->second);
        }
        const std::size_t index = addMap(text, text);
        load(index);
        if (read_.maps[index].failure && namesNoFile(*read_.maps[index].failure)) {
            Link link = dangling(read_.maps[index].failure);
            read_.maps.pop_back();
            read_.links.pop_back();
            return link;
        }
        byPlace_.emplace(key, index);
        return toMap(index);
    }
};

} // namespace

ReadMaps readMaps(const std::string& folder) {
    return Reader(folder).take();
}

} // namespace tovren
