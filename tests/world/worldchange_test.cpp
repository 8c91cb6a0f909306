// A map renamed or removed across the world: the plan (every spelling of a text that leads to
// the map, and what is refused), its journal (read back whole, and told torn wherever it is
// cut), and carrying it out: cut short after every step, it is completed to the very bytes of
// a change never cut short, with no link leading nowhere meanwhile.
#include "linkstore/linkfile.h"
#include "support/heldfile.h"
#include "support/temporarydirectory.h"
#include "world/applychange.h"
#include "world/changejournal.h"
#include "world/hostfolder.h"
#include "world/worldchange.h"
#include "world/worldreader.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace tovren {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::writeBytes;

struct CutShort {};

class WorldChanges : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;
    std::string folder = absoluteFolder(directory.file("maps"));

    void SetUp() override { fs::create_directories(fs::u8path(folder + "/sub")); }

    void map(const std::string& name, const LinkRecord& links) {
        saveLinkFile(linkFilePath(folder, name), links);
    }

    ReadMaps world() const { return readMaps(folder); }

    static WorldChange planned(const PlannedChange& plan) {
        if (const std::string* why = std::get_if<std::string>(&plan)) {
            ADD_FAILURE() << *why;
            return {};
        }
        return std::get<WorldChange>(plan);
    }

    static std::string refusal(const PlannedChange& plan) {
        return std::holds_alternative<std::string>(plan) ? std::get<std::string>(plan)
                                                         : "(planned)";
    }

    // Every file under the folder, by its path within it, and its bytes.
    std::map<std::string, std::string> files() const {
        const auto utf8 = [](const fs::path& path) {
            const std::u8string text = path.generic_u8string();
            return std::string(text.begin(), text.end());
        };
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(fs::u8path(folder))) {
            if (entry.is_regular_file()) {
                found[utf8(entry.path().lexically_relative(fs::u8path(folder)))] =
                    readBytes(utf8(entry.path()));
            }
        }
        return found;
    }

    void put(const std::map<std::string, std::string>& files) {
        fs::remove_all(fs::u8path(folder));
        fs::create_directories(fs::u8path(folder + "/sub"));
        for (const auto& [name, bytes] : files) {
            writeBytes(folder + "/" + name, bytes);
        }
    }
};

TEST_F(WorldChanges, shouldLeadEveryFieldThatLeadsToTheMapToItsNewNameSpeltAsItWas) {
    map("old", {"old", "", "", "hub"}); // up to itself
    map("hub", {"./old", "sub/../old", "old", "sub/north"});
    map("sub/north", {"", "", "old", ""}); // outside the folder, read as Load reads it
    map("far", {"", "", "", "../maps/old"});
    map("other", {"olde", "old ", "", ""}); // lead elsewhere
    writeBytes(folder + "/old.tmx", "the map");
    const WorldChange change = planned(planRename(world(), "old", "new1", {".tmx", ".png"}));
    EXPECT_EQ(change.files, (std::vector<WorldChange::FileRename>{{"old.link", "new1.link"},
                                                                  {"old.tmx", "new1.tmx"}}));
    std::map<std::string, LinkRecord> saved;
    for (const WorldChange::Edit& edit : change.edits) {
        EXPECT_EQ(edit.save.expect, loadLinkFile(linkFilePath(
                                        folder, edit.linkText == "new1" ? "old" : edit.linkText)));
        saved[edit.linkText] = *edit.save.links;
    }
    EXPECT_EQ(saved, (std::map<std::string, LinkRecord>{
                         {"far", {"", "", "", "../maps/new1"}},
                         {"hub", {"./new1", "sub/../new1", "new1", "sub/north"}},
                         {"new1", {"new1", "", "", "hub"}},
                         {"sub/north", {"", "", "new1", ""}}}));

    const WorldChange removal = planned(planRemoval(world(), "old"));
    saved.clear();
    for (const WorldChange::Edit& edit : removal.edits) {
        saved[edit.linkText] = *edit.save.links;
    }
    EXPECT_TRUE(removal.files.empty());
    EXPECT_EQ(saved, (std::map<std::string, LinkRecord>{{"far", {"", "", "", ""}},
                                                        {"hub", {"", "", "", "sub/north"}},
                                                        {"sub/north", {"", "", "", ""}}}));
}

TEST_F(WorldChanges, shouldRefuseWhatCannotBeDoneAndChangeNothing) {
    map("old", {"", "", "", "hub"});
    map("hub", {"", "", "old", ""});
    map("sub/north", {"", "", "old", ""});
    writeBytes(folder + "/old.tmx", "");
    writeBytes(folder + "/taken.tmx", "");
    fs::create_directory(fs::u8path(folder + "/old.png"));
#ifdef _WIN32
    const std::string notInTheCodePage = "\xCE\xA9"; // Greek capital omega, not in Windows-1252
#else
    const std::string notInTheCodePage = "x\xFF"; // not UTF-8: read back as "xÿ"
#endif
    const std::map<std::string, std::string> before = files();
    const ReadMaps read = world();
    const std::vector<std::pair<PlannedChange, std::string>> refused{
        {planRename(read, "missing", "new1", {}), "There is no map missing in "},
        {planRemoval(read, "sub/north"), "There is no map sub/north in "},
        {planRename(read, "old", "a/b", {}), "cannot hold a /"},
        {planRename(read, "old", "", {}), "needs a name"},
        {planRename(read, "old", "hub", {}), "There is a map hub already."},
        {planRename(read, "old", "old", {}), "old is named so already."},
        {planRename(read, "old", notInTheCodePage, {}), "a link file on this computer cannot"},
        {planRename(read, "old", "taken", {".tmx"}), "There is a file taken.tmx already."},
        {planRename(read, "old", "new1", {".png"}), "old.png is not a file."},
        {planRename(read, "old", "new1", {"/x"}), "--also takes the ends of file names"},
#ifdef _WIN32
        {planRename(read, "old", "HUB", {}), "There is a map hub already, a name"},
        {planRename(read, "old", "OLD", {}), "takes OLD and old for the same file"},
#endif
    };
    for (const auto& [plan, why] : refused) {
        EXPECT_NE(refusal(plan).find(why), std::string::npos) << refusal(plan);
    }
    EXPECT_EQ(files(), before);
}

TEST_F(WorldChanges, shouldChangeNothingWhileAFileIsHeldAsASaveHoldsIt) {
    map("old", {"", "", "", "hub"});
    map("hub", {"", "", "old", ""});
    map("lone", {"", "", "", ""});
    const std::map<std::string, std::string> before = files();
    {
        // Any file held while the world is read may lead to the map: not known, not done.
        const testing::HeldFile held(linkFilePath(folder, "lone"));
        EXPECT_NE(
            refusal(planRemoval(world(), "old")).find("lone cannot be loaded (Access denied: "),
            std::string::npos);
    }
    const WorldChange change = planned(planRename(world(), "old", "new1", {}));
    for (const std::string held : {"hub", "old"}) {
        const testing::HeldFile holding(linkFilePath(folder, held));
        const std::optional<std::string> why = whyNotNow(folder, change);
        ASSERT_TRUE(why);
        EXPECT_NE(why->find("Access denied: "), std::string::npos) << *why;
        EXPECT_NE(why->find(held + ".link"), std::string::npos) << *why;
    }
    EXPECT_EQ(files(), before);
    EXPECT_EQ(whyNotNow(folder, change), std::nullopt);
}

TEST_F(WorldChanges, shouldReadItsJournalBackWholeAndTellOneCutAnywhereAsTorn) {
    WorldChange change{WorldChange::Kind::Rename, "old 1:\n", "n\xC3\xA9w", {}, {}};
    change.files = {{"old 1:\n.link", "n\xC3\xA9w.link"}, {"old 1:\n", "n\xC3\xA9w"}};
    change.edits = {{"../x/a",
                     {"a", LinkRecord{"old 1:\n", "", "12:", "\r"},
                      LinkRecord{"n\xC3\xA9w", "", "12:", "\r"}}}};
    const std::string bytes = journalBytes(change);
    const Journal whole = readJournalBytes(bytes);
    EXPECT_EQ(whole.state, Journal::State::Whole);
    EXPECT_EQ(whole.change, change);
    const WorldChange removal{WorldChange::Kind::Remove, "", "", {}, {}};
    EXPECT_EQ(readJournalBytes(journalBytes(removal)).change, removal);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_EQ(readJournalBytes(bytes.substr(0, length)).state, Journal::State::Torn) << length;
        std::string garbled = bytes;
        garbled[length] = static_cast<char>(garbled[length] ^ 0x20);
        EXPECT_NE(readJournalBytes(garbled).state, Journal::State::Whole) << length;
    }
    EXPECT_EQ(readJournalBytes("tovren-world change 2\nwhatever it holds").state,
              Journal::State::Newer);
}

TEST_F(WorldChanges, shouldCompleteAChangeCutShortAfterAnyStepToTheBytesOfOneNeverCut) {
    // A rename to a shorter name: saves never shorten a file, so the bytes past the new four
    // lines stay in every changed file, as Tovren's Done leaves them.
    map("old_map", {"old_map", "", "", "hub"});
    map("hub", {"", "", "old_map", "sub/north"});
    map("sub/north", {"", "old_map", "", ""});
    map("far", {"", "", "hub", ""});
    writeBytes(folder + "/old_map.tmx", // a Tiled map, which takes the new name too
               R"(<map width="20" height="15" tilewidth="16" tileheight="16"></map>)");
    writeBytes(folder + "/old_map.png", "pixels");
    const std::map<std::string, std::string> before = files();
    for (const bool rename : {true, false}) {
        put(before);
        const WorldChange change =
            planned(rename ? planRename(world(), "old_map", "m", {".tmx", ".png"})
                           : planRemoval(world(), "old_map"));
        applyChange(folder, change, *FolderLock::tryToTake(folder));
        const std::map<std::string, std::string> after = files();
        EXPECT_EQ(after.count(rename ? "m.link" : "old_map.link"), rename ? 1U : 0U);
        for (int steps = 1;; ++steps) {
            put(before);
            try {
                int step = 0;
                applyChange(folder, change, *FolderLock::tryToTake(folder), [&] {
                    if (++step == steps) {
                        throw CutShort{};
                    }
                });
            } catch (const CutShort&) {
            }
            const World cut = worldOf(world(), LayoutRule::ByDirection);
            for (const Finding& finding : cut.findings) {
                EXPECT_NE(finding.kind, FindingKind::Dangling) << steps << ": " << finding.message;
                EXPECT_NE(finding.kind, FindingKind::Unreadable)
                    << steps << ": " << finding.message;
            }
            const std::optional<Journal> journal = readJournal(folder);
            if (!journal) {
                EXPECT_EQ(files(), after) << "cut after its last step, " << steps;
                break;
            }
            ASSERT_EQ(journal->state, Journal::State::Whole);
            EXPECT_EQ(journal->change, change);
            completeChange(folder, journal->change, *FolderLock::tryToTake(folder));
            EXPECT_EQ(files(), after) << "cut after step " << steps;
        }
    }
}

TEST_F(WorldChanges, shouldKeepWhatOthersChangedBeforeItWasCompletedAndStopWhereItCannotTell) {
    map("old", {"", "", "", "hub"});
    map("hub", {"", "", "old", "old"});
    const WorldChange change = planned(planRename(world(), "old", "new1", {}));
    try {
        applyChange(folder, change, *FolderLock::tryToTake(folder), [] { throw CutShort{}; });
    } catch (const CutShort&) {
    }
    map("hub", {"up", "", "old", "elsewhere"}); // saved by Tovren meanwhile
    completeChange(folder, change, *FolderLock::tryToTake(folder));
    EXPECT_EQ(loadLinkFile(linkFilePath(folder, "hub")),
              (LinkRecord{"up", "", "new1", "elsewhere"}));

    // Both names there as two files: which is the map is for a person to say.
    map("next", {"", "", "new1", ""});
    const WorldChange again = planned(planRename(world(), "new1", "new2", {}));
    try {
        applyChange(folder, again, *FolderLock::tryToTake(folder), [] { throw CutShort{}; });
    } catch (const CutShort&) {
    }
    map("new2", {"", "", "", ""}); // another map's file, by its name
    try {
        completeChange(folder, again, *FolderLock::tryToTake(folder));
        ADD_FAILURE() << "completed";
    } catch (const ChangeStopped& stopped) {
        EXPECT_TRUE(stopped.journalKept());
        EXPECT_NE(std::string(stopped.what()).find("two different files"), std::string::npos);
    }
    EXPECT_TRUE(readJournal(folder));
}

TEST_F(WorldChanges, shouldLetOneChangeAtATimeHoldTheFolder) {
    std::optional<FolderLock> first = FolderLock::tryToTake(folder);
    ASSERT_TRUE(first);
    EXPECT_FALSE(FolderLock::tryToTake(folder));
    first.reset();
    EXPECT_TRUE(FolderLock::tryToTake(folder));
}

} // namespace
} // namespace tovren
