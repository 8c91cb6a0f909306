#include "linkstore/linkformat.h"

#include <gtest/gtest.h>
#include <optional>

namespace tovren {
namespace {

using Lines = std::array<std::string, 4>;

// Feeds the bytes in pieces cut at the given offsets; nothing when a line is missing.
std::optional<Lines> readLines(std::string_view bytes,
                               std::initializer_list<std::size_t> cuts = {}) {
    LinkLineReader reader;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        reader.feed(bytes.substr(from, cut - from));
        from = cut;
    }
    reader.feed(bytes.substr(from));
    if (!reader.finish()) {
        return std::nullopt;
    }
    return reader.lines();
}

TEST(LinkFileBytes, shouldEndEveryLineWithCarriageReturnLineFeed) {
    EXPECT_EQ(linkFileBytes({"map2", "", "map3", ""}), "map2\r\n\r\nmap3\r\n\r\n");
    EXPECT_EQ(linkFileBytes({"", "", "", ""}), "\r\n\r\n\r\n\r\n");
}

TEST(LinkLineReader, shouldSplitAtCarriageReturnWithOrWithoutLineFeed) {
    EXPECT_EQ(readLines("a\r\nb\rc\r\nd\r\n"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(readLines("\r\r\r\r"), (Lines{"", "", "", ""}));
}

TEST(LinkLineReader, shouldKeepALoneLineFeedInsideTheLine) {
    EXPECT_EQ(readLines("a\nb\r\n\nc\r\nd\r\ne\n\r\n"), (Lines{"a\nb", "\nc", "d", "e\n"}));
}

TEST(LinkLineReader, shouldConsumeOnlyOneLineFeedAfterACarriageReturn) {
    EXPECT_EQ(readLines("a\r\n\nb\r\nc\r\nd"), (Lines{"a", "\nb", "c", "d"}));
}

TEST(LinkLineReader, shouldTakeAnUnterminatedLastLineAsALine) {
    EXPECT_EQ(readLines("a\r\nb\r\nc\r\nd"), (Lines{"a", "b", "c", "d"}));
}

TEST(LinkLineReader, shouldIgnoreEverythingAfterTheFourthLine) {
    EXPECT_EQ(readLines("a\r\nb\r\nc\r\nd\r\nmap3\r\nmap4\r\n"), (Lines{"a", "b", "c", "d"}));
}

TEST(LinkLineReader, shouldFailWhenALineIsAskedForAtTheEnd) {
    EXPECT_EQ(readLines(""), std::nullopt);
    EXPECT_EQ(readLines("a\r\nb\r\nc\r\n"), std::nullopt);
    EXPECT_EQ(readLines("a\r\nb\r\nc\r"), std::nullopt);
    EXPECT_EQ(readLines("a\r\nb"), std::nullopt);
}

TEST(LinkLineReader, shouldGiveTheSameLinesHoweverTheBytesArrive) {
    const std::string bytes = "up\r\n\ndown\r\rleft\n\r\nright\r\ntail";
    const std::optional<Lines> whole = readLines(bytes);
    ASSERT_EQ(whole, (Lines{"up", "\ndown", "", "left\n"}));
    for (std::size_t first = 0; first <= bytes.size(); ++first) {
        for (std::size_t second = first; second <= bytes.size(); ++second) {
            EXPECT_EQ(readLines(bytes, {first, second}), whole) << first << ", " << second;
        }
    }
}

TEST(LinkLineReader, shouldTreatACarriageReturnAndLineFeedSplitAcrossPiecesAsOneTerminator) {
    EXPECT_EQ(readLines("a\r\nb\r\nc\r\nd", {1, 2}), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(readLines("a\r\n\nb\r\nc\r\nd", {2}), (Lines{"a", "\nb", "c", "d"}));
}

TEST(LinkLineReader, shouldReportCompleteAsSoonAsTheFourthLineEnds) {
    LinkLineReader reader;
    reader.feed("a\r\nb\r\nc\r\nd");
    EXPECT_FALSE(reader.complete());
    reader.feed("\r");
    EXPECT_TRUE(reader.complete());
}

} // namespace
} // namespace tovren
