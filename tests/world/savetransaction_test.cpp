// A change to the world as one transaction: every expectation checked before anything is written,
// then each map saved once, a failure of one leaving the others saved.
#include "linkstore/linkfile.h"
#include "support/heldfile.h"
#include "support/temporarydirectory.h"
#include "world/savetransaction.h"

#include <filesystem>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tovren {
namespace {

using testing::readBytes;
using testing::writeBytes;
using Kind = FileFailure::Kind;

class SaveTransaction : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;

    std::string path(const std::string& map) const { return linkFilePath(directory.path(), map); }
    MapTarget target(const std::string& map, std::optional<LinkRecord> expect,
                     std::optional<LinkRecord> links) const {
        return {{map, std::move(expect), std::move(links)}, path(map)};
    }
    bool exists(const std::string& map) const { return std::filesystem::exists(path(map)); }
};

TEST_F(SaveTransaction, shouldWriteNothingUnlessEveryExpectationHolds) {
    saveLinkFile(path("map1"), {"", "", "", "map2"});
    saveLinkFile(path("map2"), {"", "", "elsewhere", ""});
    writeBytes(path("short"), "a\r\n");
    const SaveResult result = saveMaps({
        target("map1", LinkRecord{"", "", "", "map2"}, LinkRecord{"up", "", "", "map2"}),
        target("map2", LinkRecord{"", "", "map1", ""}, LinkRecord{}), // changed meanwhile
        target("new", std::nullopt, LinkRecord{}),                    // holds: no file yet
        target("map1", std::nullopt, LinkRecord{}),                   // new, but its file exists
        target("short", LinkRecord{}, std::nullopt),                  // cannot be loaded
    });
    ASSERT_EQ(result.conflicts.size(), 3U);
    EXPECT_TRUE(result.outcomes.empty());
    EXPECT_EQ(result.conflicts[0].map, "map2");
    EXPECT_EQ(result.conflicts[0].current, (LinkRecord{"", "", "elsewhere", ""}));
    EXPECT_FALSE(result.conflicts[0].failure);
    EXPECT_EQ(result.conflicts[1].current, (LinkRecord{"", "", "", "map2"}));
    EXPECT_FALSE(result.conflicts[2].current);
    EXPECT_EQ(result.conflicts[2].failure->kind(), Kind::InputPastEndOfFile);
    EXPECT_EQ(readBytes(path("map1")), "\r\n\r\n\r\nmap2\r\n");
    EXPECT_EQ(readBytes(path("short")), "a\r\n");
    EXPECT_FALSE(exists("new"));
}

TEST_F(SaveTransaction, shouldSaveEachMapOnceAndLeaveTheOthersSavedWhereOneFails) {
    saveLinkFile(path("map1"), {"a", "b", "c", "longer than the new"});
    saveLinkFile(path("same"), {"x", "", "", ""});
    saveLinkFile(path("gone"), {});
    saveLinkFile(path("held"), {"h", "", "", ""});
    const testing::HeldFile held(path("held")); // as another program's save holds it
    const SaveResult result = saveMaps({
        target("map1", LinkRecord{"a", "b", "c", "longer than the new"},
               LinkRecord{"a", "", "", "d"}),
        target("held", LinkRecord{"h", "", "", ""}, LinkRecord{}),
        target("same", LinkRecord{"x", "", "", ""}, LinkRecord{"x", "", "", ""}),
        target("new", std::nullopt, LinkRecord{}),
        target("gone", LinkRecord{}, std::nullopt),
    });
    ASSERT_TRUE(result.conflicts.empty());
    ASSERT_EQ(result.outcomes.size(), 5U);
    std::vector<std::tuple<std::string, bool, bool, bool>> outcomes; // map, saved, removed, changed
    for (const SaveOutcome& outcome : result.outcomes) {
        outcomes.emplace_back(outcome.map, !outcome.failure, outcome.removed, outcome.changed);
    }
    EXPECT_EQ(outcomes, (decltype(outcomes){{"map1", true, false, true},
                                            {"held", false, false, false},
                                            {"same", true, false, false},
                                            {"new", true, false, true},
                                            {"gone", true, true, true}}));
    EXPECT_EQ(result.outcomes[1].failure->kind(), Kind::AccessDenied);
    EXPECT_EQ(readBytes(path("map1")),
              "a\r\n\r\n\r\nd\r\nonger than the new\r\n"); // over it, as Done
    EXPECT_EQ(readBytes(path("held")), "h\r\n\r\n\r\n\r\n");
    EXPECT_EQ(readBytes(path("new")), "\r\n\r\n\r\n\r\n");
    EXPECT_FALSE(exists("gone"));
}

#ifndef _WIN32
TEST_F(SaveTransaction, shouldMakeANewMapsFileNeverThroughALink) {
    ::symlink(path("elsewhere").c_str(), path("new").c_str()); // leads nowhere, yet
    const SaveResult result = saveMaps({target("new", std::nullopt, LinkRecord{})});
    ASSERT_EQ(result.outcomes.size(), 1U);
    EXPECT_EQ(result.outcomes[0].failure->kind(), Kind::AccessDenied);
    EXPECT_FALSE(exists("elsewhere"));
}
#endif

} // namespace
} // namespace tovren
