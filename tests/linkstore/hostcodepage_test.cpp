#include "linkstore/hostcodepage.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

TEST(HostCodePage, shouldWriteTextAsItsOwnUtf8Bytes) {
    EXPECT_EQ(toHostCodePage("map1"), "map1");
    EXPECT_EQ(toHostCodePage("Köln \u20AC \U0001F30D"), "Köln \u20AC \U0001F30D");
}

TEST(HostCodePage, shouldReadValidUtf8AsItself) {
    for (const std::string& text :
         std::initializer_list<std::string>{"", "map1", "Köln", "\u20AC", "\U0001F30D", "\uFFFD",
                                            "\u0080", "\U0010FFFF", std::string("a\0b", 3)}) {
        EXPECT_EQ(fromHostCodePage(text), text);
    }
}

TEST(HostCodePage, shouldReadWindows1252BytesWithTheirAccents) {
    EXPECT_EQ(fromHostCodePage("K\xF6ln"), "Köln");
    EXPECT_EQ(fromHostCodePage("\x80 \x9F \xA0 \xFF"), "\u20AC \u0178 \u00A0 \u00FF");
    EXPECT_EQ(fromHostCodePage("\x93quoted\x94"), "\u201Cquoted\u201D");
}

TEST(HostCodePage, shouldReadTheFiveUndefinedBytesAsControlCharacters) {
    EXPECT_EQ(fromHostCodePage("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(HostCodePage, shouldMapEachByteOfAMalformedSequenceOnItsOwn) {
    EXPECT_EQ(fromHostCodePage("\xE2\x82"), "\u00E2\u201A");           // truncated euro sign
    EXPECT_EQ(fromHostCodePage("\xC0\xAF"), "\u00C0\u00AF");           // overlong slash
    EXPECT_EQ(fromHostCodePage("\xED\xA0\x80"), "\u00ED\u00A0\u20AC"); // surrogate
    EXPECT_EQ(fromHostCodePage("\xF4\x90\x80\x80"), "\u00F4\u0090\u20AC\u20AC"); // past U+10FFFF
    EXPECT_EQ(fromHostCodePage("\xF8\x88"), "\u00F8\u02C6"); // no such lead byte
}

TEST(HostCodePage, shouldKeepValidSequencesAroundAnInvalidByte) {
    EXPECT_EQ(fromHostCodePage("\u20AC\xE9\u20AC"), "\u20AC\u00E9\u20AC");
    EXPECT_EQ(fromHostCodePage("\xE9\xE2\x82\xAC"), "\u00E9\u20AC");
}

TEST(HostCodePage, shouldReadWhatItReadBackUnchanged) {
    std::string everyByte;
    for (int byte = 0; byte < 256; ++byte) {
        everyByte += static_cast<char>(byte);
    }
    const std::string once = fromHostCodePage(everyByte);
    EXPECT_EQ(fromHostCodePage(toHostCodePage(once)), once);
}

} // namespace
} // namespace tovren
