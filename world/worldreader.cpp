#include "world/worldreader.h"

#include "linkstore/hostcodepage.h"
#include "world/hostfolder.h"
#include "world/tiledmap.h"
#include "world/unresolvedmerge.h"
#include "world/worldlinkfile.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <numeric>
#include <thread>
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

constexpr std::size_t longestMergeRead = std::size_t{1} << 20;

// The unresolved merge a loaded record holds, read from its whole file: the conflict's markers
// and its sides reach past the fourth line. Only a record with a marker in it is read again.
std::optional<UnresolvedMerge> unresolvedMergeIn(const std::string& path,
                                                 const LinkRecord& record) {
    const std::array<const std::string*, 4> fields{&record.up, &record.down, &record.left,
                                                   &record.right};
    if (std::none_of(fields.begin(), fields.end(),
                     [](const std::string* field) { return isMergeMarker(*field); })) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())),
                       std::ios::binary);
    std::string bytes(longestMergeRead, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    for (std::string& line : linkFileLines(bytes)) {
        lines.push_back(fromHostCodePage(std::move(line)));
    }
    if (lines.size() < fields.size()) { // changed since, or gone: the record as loaded
        lines.assign({record.up, record.down, record.left, record.right});
    }
    std::optional<UnresolvedMerge> merge = findUnresolvedMerge(lines);
    if (merge) {
        merge->loaded = record;
    }
    return merge;
}

std::optional<FileFailure> loadInto(WorldMap& map) {
    try {
        map.links = loadWorldLinkFile(map.path);
    } catch (const FileFailure& failure) {
        return failure;
    }
    if (std::optional<UnresolvedMerge> merge = unresolvedMergeIn(map.path, *map.links)) {
        map.unresolvedMerge = std::make_shared<const UnresolvedMerge>(std::move(*merge));
        map.links.reset(); // its fields are not links
    }
    return std::nullopt;
}

// Calls work(first, last) on stretches of [0, count) on as many threads as the machine has
// cores, this one among them; a failure other than the files' own is thrown here.
template <typename Work> void onEveryCore(std::size_t count, Work work) {
    constexpr std::size_t stretch = 64;
    const std::size_t threads = std::min<std::size_t>(
        std::max(1U, std::thread::hardware_concurrency()), (count + stretch - 1) / stretch);
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    const auto share = [&] {
        try {
            for (std::size_t first = next.fetch_add(stretch); first < count && !failed;
                 first = next.fetch_add(stretch)) {
                work(first, std::min(count, first + stretch));
            }
        } catch (...) {
            if (!failed.exchange(true)) {
                failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t helper = 1; helper < threads; ++helper) {
        helpers.emplace_back(share);
    }
    share();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// Loads a folder's files while its listing goes on: the listing hands out stretches of entries
// as it finds them to helpers on the other cores, and once it is done, this thread loads too.
class LoadingLine {
public:
    explicit LoadingLine(const std::string& folder) : folder_(folder) {}

    std::vector<WorldMap> run() {
        std::vector<std::thread> helpers;
        for (unsigned helper = 1; helper < std::max(1U, std::thread::hardware_concurrency());
             ++helper) {
            helpers.emplace_back([this] { help(); });
        }
        std::exception_ptr listingFailed;
        try {
            std::vector<LinkFileEntry> stretch;
            listLinkFiles(
                folder_,
                [&](LinkFileEntry&& entry) {
                    stretch.push_back(std::move(entry));
                    if (stretch.size() == stretchSize) {
                        hand(std::move(stretch));
                        stretch.clear();
                    }
                },
                [&](TiledFileEntry&& entry) { tiled_.push_back(std::move(entry)); });
            hand(std::move(stretch));
        } catch (...) {
            listingFailed = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> guard(lock_);
            listed_ = true;
        }
        ready_.notify_all();
        help();
        for (std::thread& helper : helpers) {
            helper.join();
        }
        for (const std::exception_ptr& failure : {listingFailed, loadingFailed_}) {
            if (failure) {
                std::rethrow_exception(failure);
            }
        }
        std::size_t count = 0;
        for (const std::vector<WorldMap>& stretch : loaded_) {
            count += stretch.size();
        }
        std::vector<WorldMap> maps;
        maps.reserve(count);
        for (std::vector<WorldMap>& stretch : loaded_) {
            std::move(stretch.begin(), stretch.end(), std::back_inserter(maps));
            std::vector<WorldMap>().swap(stretch); // its room back at once
        }
        readTiledMaps(maps);
        return maps;
    }

private:
    static constexpr std::size_t stretchSize = 64;

    const std::string& folder_;
    std::mutex lock_;
    std::condition_variable ready_;
    std::vector<std::vector<LinkFileEntry>> waiting_;
    std::vector<std::vector<WorldMap>> loaded_;
    bool listed_ = false;
    std::exception_ptr loadingFailed_;  // other than the files' own failures: memory, say
    std::vector<TiledFileEntry> tiled_; // the folder's Tiled maps, as listed

    // Each map with a Tiled map in the folder reads it, on every core; .tmx before .tmj.
    void readTiledMaps(std::vector<WorldMap>& maps) {
        if (tiled_.empty()) {
            return;
        }
        std::unordered_map<std::string, bool> jsonOnly; // by name key
        for (TiledFileEntry& entry : tiled_) {
            const auto [known, fresh] = jsonOnly.try_emplace(nameKey(entry.mapName), entry.json);
            known->second = known->second && entry.json;
        }
        std::vector<TiledFileEntry>().swap(tiled_);
        onEveryCore(maps.size(), [&](std::size_t first, std::size_t last) {
            for (std::size_t at = first; at < last; ++at) {
                const auto found = jsonOnly.find(nameKey(maps[at].linkText));
                if (found != jsonOnly.end()) {
                    findTiledMap(maps[at], found->second);
                }
            }
        });
    }

    void hand(std::vector<LinkFileEntry>&& stretch) {
        if (stretch.empty()) {
            return;
        }
        {
            const std::lock_guard<std::mutex> guard(lock_);
            waiting_.push_back(std::move(stretch));
        }
        ready_.notify_one();
    }

    void help() {
        for (;;) {
            std::vector<LinkFileEntry> stretch;
            {
                std::unique_lock<std::mutex> guard(lock_);
                ready_.wait(guard, [&] { return !waiting_.empty() || listed_; });
                if (waiting_.empty()) {
                    return;
                }
                stretch = std::move(waiting_.back());
                waiting_.pop_back();
            }
            std::vector<WorldMap> maps;
            try {
                maps.reserve(stretch.size());
                for (LinkFileEntry& entry : stretch) {
                    maps.push_back(loadFolderMap(folder_, std::move(entry)));
                }
            } catch (...) {
                const std::lock_guard<std::mutex> guard(lock_);
                loadingFailed_ = std::current_exception();
                continue;
            }
            const std::lock_guard<std::mutex> guard(lock_);
            loaded_.push_back(std::move(maps));
        }
    }
};

class Reader {
public:
    Reader(const std::string& folder, std::vector<WorldMap> loaded) {
        read_.folder = folder;
        const std::size_t count = loaded.size();
        std::vector<std::size_t> order(count);
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(),
                  [&](std::size_t a, std::size_t b) { return loaded[a].name < loaded[b].name; });
        // Put in order where they are: a second array of maps would double the memory.
        std::vector<bool> placed(count, false);
        for (std::size_t start = 0; start < count; ++start) {
            if (placed[start]) {
                continue;
            }
            WorldMap first = std::move(loaded[start]);
            std::size_t at = start;
            for (; order[at] != start; at = order[at]) {
                loaded[at] = std::move(loaded[order[at]]);
                placed[at] = true;
            }
            loaded[at] = std::move(first);
            placed[at] = true;
        }
        read_.maps = std::move(loaded);
        keys_.resize(count);
        onEveryCore(count, [&](std::size_t first, std::size_t last) {
            for (std::size_t at = first; at < last; ++at) {
                keys_[at] = nameKey(read_.maps[at].linkText);
            }
        });
        byName_.reserve(count);
        for (std::size_t at = 0; at < count; ++at) {
            byName_.emplace(keys_[at], at);
        }
        const std::optional<std::string> probe = placeOf(linkFilePath(read_.folder, ""));
        folderPlace_ = probe ? std::string(folderOfPlace(*probe)) : std::string();
    }

    ReadMaps take() {
        // Names within the folder first, on every core, as looking them up changes nothing;
        // then the texts that reach into other folders, which may add the maps found there and
        // whose texts are followed in turn.
        const std::size_t folderMaps = read_.maps.size();
        onEveryCore(folderMaps, [&](std::size_t first, std::size_t last) {
            for (std::size_t index = first; index < last; ++index) {
                WorldMap& map = read_.maps[index];
                for (const Direction direction : allDirections) {
                    const std::string& text = map.text(direction);
                    if (!text.empty() && !hasSeparator(text)) {
                        map.neighbours[static_cast<std::size_t>(direction)] =
                            inFolder(nameKey(text));
                    }
                }
            }
        });
        for (std::size_t index = 0; index < read_.maps.size(); ++index) {
            for (const Direction direction : allDirections) {
                // A copy: following a text may add maps, and move the ones there are.
                const std::string text = read_.maps[index].text(direction);
                if (hasSeparator(text) || index >= folderMaps) {
                    read_.maps[index].neighbours[static_cast<std::size_t>(direction)] =
                        follow(index, direction, text);
                }
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
    std::vector<std::string> keys_;                            // of the folder's maps
    std::unordered_map<std::string_view, std::size_t> byName_; // maps of the folder, by key
    std::unordered_map<std::string, std::size_t> byPlace_;     // maps outside it, by place

    std::optional<std::size_t> inFolder(std::string_view key) const {
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
        findTiledMap(outside);
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

WorldMap loadFolderMap(const std::string& folder, LinkFileEntry entry) {
    WorldMap map;
    map.name = shownName(entry.mapName);
    map.path = linkFilePath(folder, entry.mapName);
    map.linkText = std::move(entry.mapName);
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
    return map;
}

std::vector<WorldMap> loadFolder(const std::string& folder) {
    return LoadingLine(folder).run();
}

ReadMaps readMaps(const std::string& folder, std::vector<WorldMap> loaded) {
    return Reader(folder, std::move(loaded)).take();
}

ReadMaps readMaps(const std::string& folder) {
    const std::string absolute = absoluteFolder(folder);
    return readMaps(absolute, loadFolder(absolute));
}

} // namespace tovren
