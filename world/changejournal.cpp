#include "world/changejournal.h"

#include "world/hostfiles.h"

#include <cstdint>
#include <cstdio>

namespace tovren {

namespace {

constexpr std::string_view versionLine = "tovren-world change 1\n";
constexpr std::string_view anyVersion = "tovren-world change ";
constexpr std::string_view endWord = "end ";
constexpr std::size_t sumDigits = 16;
constexpr const char* journalName = ".tovren-world.journal";

std::uint64_t checksum(std::string_view bytes) {
    std::uint64_t sum = 0xcbf29ce484222325ULL;
    for (const char byte : bytes) {
        sum = (sum ^ static_cast<unsigned char>(byte)) * 0x100000001b3ULL;
    }
    return sum;
}

std::string hex(std::uint64_t value) {
    char digits[sumDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(value));
    return digits;
}

void put(std::string& out, std::string_view text) {
    out += ' ';
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

void putRecord(std::string& out, const LinkRecord& record) {
    for (const Direction direction : allDirections) {
        put(out, textOf(record, direction));
    }
}

struct Torn {};

// Reads the journal's lines back, failing at the first byte that is not where it must be.
class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}

    bool atEnd() const { return rest_.empty(); }

    std::string_view word() {
        const std::size_t end = rest_.find_first_of(" \n");
        if (end == 0 || end == std::string_view::npos) {
            throw Torn{};
        }
        const std::string_view word = rest_.substr(0, end);
        rest_.remove_prefix(end);
        return word;
    }

    std::string text() {
        expect(' ');
        std::size_t length = 0;
        std::size_t digits = 0;
        while (digits < rest_.size() && rest_[digits] >= '0' && rest_[digits] <= '9') {
            if (digits == 10) {
                throw Torn{};
            }
            length = length * 10 + static_cast<std::size_t>(rest_[digits] - '0');
            ++digits;
        }
        // One way to write each count: no zero before its digits.
        const bool leadingZero = digits > 1 && rest_.front() == '0';
        rest_.remove_prefix(digits);
        expect(':');
        if (digits == 0 || leadingZero || length > rest_.size()) {
            throw Torn{};
        }
        std::string text(rest_.substr(0, length));
        rest_.remove_prefix(length);
        return text;
    }

    LinkRecord record() {
        LinkRecord record;
        for (const Direction direction : allDirections) {
            textOf(record, direction) = text();
        }
        return record;
    }

    void expect(char byte) {
        if (rest_.empty() || rest_.front() != byte) {
            throw Torn{};
        }
        rest_.remove_prefix(1);
    }

private:
    std::string_view rest_;
};

WorldChange parse(std::string_view body) {
    Reader reader(body);
    WorldChange change;
    const std::string_view kind = reader.word();
    if (kind != "rename" && kind != "remove") {
        throw Torn{};
    }
    change.kind = kind == "rename" ? WorldChange::Kind::Rename : WorldChange::Kind::Remove;
    change.map = reader.text();
    if (change.kind == WorldChange::Kind::Rename) {
        change.newName = reader.text();
    }
    reader.expect('\n');
    while (!reader.atEnd()) {
        const std::string_view line = reader.word();
        if (line == "file") {
            WorldChange::FileRename file;
            file.from = reader.text();
            file.to = reader.text();
            change.files.push_back(std::move(file));
        } else if (line == "edit") {
            WorldChange::Edit edit;
            edit.linkText = reader.text();
            edit.save.map = reader.text();
            edit.save.expect = reader.record();
            edit.save.links = reader.record();
            change.edits.push_back(std::move(edit));
        } else {
            throw Torn{};
        }
        reader.expect('\n');
    }
    return change;
}

} // namespace

std::string journalBytes(const WorldChange& change) {
    std::string out(versionLine);
    const bool rename = change.kind == WorldChange::Kind::Rename;
    out += rename ? "rename" : "remove";
    put(out, change.map);
    if (rename) {
        put(out, change.newName);
    }
    out += '\n';
    for (const WorldChange::FileRename& file : change.files) {
        out += "file";
        put(out, file.from);
        put(out, file.to);
        out += '\n';
    }
    for (const WorldChange::Edit& edit : change.edits) {
        out += "edit";
        put(out, edit.linkText);
        put(out, edit.save.map);
        putRecord(out, *edit.save.expect);
        putRecord(out, *edit.save.links);
        out += '\n';
    }
    const std::uint64_t sum = checksum(out);
    out += endWord;
    out += hex(sum);
    out += '\n';
    return out;
}

Journal readJournalBytes(std::string_view bytes) {
    if (!bytes.starts_with(versionLine)) {
        // Another version's first line, whole, is a later tovren-world's journal.
        const bool newer =
            bytes.starts_with(anyVersion) && bytes.find('\n') != std::string_view::npos;
        return {newer ? Journal::State::Newer : Journal::State::Torn, {}};
    }
    const std::size_t trailer = endWord.size() + sumDigits + 1;
    if (bytes.size() < versionLine.size() + trailer || !bytes.ends_with('\n')) {
        return {};
    }
    const std::string_view covered = bytes.substr(0, bytes.size() - trailer);
    const std::string_view end = bytes.substr(covered.size());
    if (!end.starts_with(endWord) ||
        end.substr(endWord.size(), sumDigits) != hex(checksum(covered))) {
        return {};
    }
    try {
        return {Journal::State::Whole, parse(covered.substr(versionLine.size()))};
    } catch (const Torn&) {
        return {};
    }
}

std::string journalPath(const std::string& folder) {
    return pathInFolder(folder, journalName);
}

std::optional<Journal> readJournal(const std::string& folder) {
    const std::optional<std::string> bytes = readWhole(journalPath(folder));
    if (!bytes) {
        return std::nullopt;
    }
    return readJournalBytes(*bytes);
}

void writeJournal(const std::string& folder, const WorldChange& change) {
    writeDurably(journalPath(folder), journalBytes(change));
    syncFolder(folder);
}

void removeJournal(const std::string& folder) {
    removeName(journalPath(folder));
    syncFolder(folder);
}

} // namespace tovren
