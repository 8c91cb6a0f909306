// The three-way merge of a link record, field by field, and a link file that a merge left with
// git's conflict markers: its lines, the span of its markers, and the record of each side.
#include "world/recordmerge.h"
#include "world/unresolvedmerge.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

using Lines = std::vector<std::string>;

std::vector<std::optional<std::string>> theirsOf(const MergedRecord& merged) {
    std::vector<std::optional<std::string>> theirs;
    for (const MergedField& field : merged) {
        theirs.push_back(field.theirs);
    }
    return theirs;
}

TEST(RecordMerge, shouldTakeEachFieldFromTheSideThatChangedIt) {
    const LinkRecord base{"town", "cave", "", "road"};
    // Ours linked left and cut right; theirs moved up and cut right alike; down untouched.
    const MergedRecord merged =
        mergeRecords(base, {"town", "cave", "west", ""}, {"city", "cave", "", ""});
    EXPECT_TRUE(isClean(merged));
    EXPECT_EQ(mergedLines(merged), (Lines{"city", "cave", "west", ""}));
}

TEST(RecordMerge, shouldMarkOnlyTheFieldsBothSidesChangedDifferently) {
    const LinkRecord base{"town", "cave", "", "road"};
    const MergedRecord merged =
        mergeRecords(base, {"town", "mine", "west", "road"}, {"town", "pit", "west", ""});
    EXPECT_FALSE(isClean(merged));
    EXPECT_EQ(theirsOf(merged), (std::vector<std::optional<std::string>>{
                                    std::nullopt, "pit", std::nullopt, std::nullopt}));
    EXPECT_EQ(mergedLines(merged), (Lines{"town", "<<<<<<< ours", "mine", "=======", "pit",
                                          ">>>>>>> theirs", "west", ""}));
}

TEST(RecordMerge, shouldMarkEveryFieldTheSidesDifferOnWithoutACommonAncestor) {
    const MergedRecord merged = mergeRecords(std::nullopt, {"a", "", "c", ""}, {"a", "b", "c", ""});
    EXPECT_EQ(theirsOf(merged), (std::vector<std::optional<std::string>>{
                                    std::nullopt, "b", std::nullopt, std::nullopt}));
}

TEST(UnresolvedMerge, shouldSplitLinesByTheStoresRule) {
    EXPECT_EQ(linkFileLines("a\r\nb\rc\nd\r\n\r\nlast"), (Lines{"a", "b", "c\nd", "", "last"}));
    EXPECT_EQ(linkFileLines(""), Lines{});
}

TEST(UnresolvedMerge, shouldFindTheMarkersAndBothSidesOfWhatTheMergeWrote) {
    const MergedRecord merged =
        mergeRecords(LinkRecord{"", "", "", ""}, {"x", "", "", "east"}, {"y", "", "", "far"});
    const std::optional<UnresolvedMerge> found = findUnresolvedMerge(mergedLines(merged));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->firstLine, 1U);
    EXPECT_EQ(found->lastLine, 12U);
    EXPECT_EQ(found->ours, (LinkRecord{"x", "", "", "east"}));
    EXPECT_EQ(found->theirs, (LinkRecord{"y", "", "", "far"}));
}

TEST(UnresolvedMerge, shouldLeaveTheAncestorsSideOfTheDiff3StyleOutOfBoth) {
    const std::optional<UnresolvedMerge> found =
        findUnresolvedMerge({"up", "down", "<<<<<<< HEAD", "ours", "||||||| base", "old",
                             "=======", "theirs", ">>>>>>> branch", "right"});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->firstLine, 3U);
    EXPECT_EQ(found->lastLine, 9U);
    EXPECT_EQ(found->ours, (LinkRecord{"up", "down", "ours", "right"}));
    EXPECT_EQ(found->theirs, (LinkRecord{"up", "down", "theirs", "right"}));
}

TEST(UnresolvedMerge, shouldLookForMarkersOnlyInTheRecordsFourLines) {
    // A record saved over a conflict leaves the conflict's old lines past its fourth.
    EXPECT_FALSE(findUnresolvedMerge({"a", "b", "c", "d", "=======", "x", ">>>>>>> theirs"}));
    // Names that merely begin like a marker are names.
    EXPECT_FALSE(findUnresolvedMerge({"<<<<<<<x", "|||||||y", ">>>>>>>>", ""}));
    EXPECT_TRUE(isMergeMarker(">>>>>>>") && isMergeMarker("=======") &&
                isMergeMarker("||||||| merged common ancestors"));
}

} // namespace
} // namespace tovren
