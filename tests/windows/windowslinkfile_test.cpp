// The link file store on Windows: the path rule with "\", the ANSI code page, share modes and
// Windows' errors. Runs under Wine on the build machine.
#include "linkstore/hostcodepage.h"
#include "linkstore/linkfile.h"
#include "linkstore/windows/windowslinkfile.h"
#include "support/failurekind.h"
#include "support/temporarydirectory.h"

#include <chrono>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <thread>
#include <windows.h>

namespace tovren {
namespace {

using testing::failureKindOf;
using testing::readBytes;
using testing::writeBytes;
using Kind = FileFailure::Kind;

TEST(WindowsLinkFilePath, shouldJoinWithABackslash) {
    EXPECT_EQ(linkFilePath("C:\\maps", "map1"), "C:\\maps\\map1.link");
    EXPECT_EQ(linkFilePath("C:\\maps", "map1.link"), "C:\\maps\\map1.link.link");
    EXPECT_EQ(linkFilePath("C:\\maps", ""), "C:\\maps\\.link");
    EXPECT_EQ(linkFilePath("C:\\", "map1"), "C:\\\\map1.link");
}

TEST(WindowsCodePage, shouldWriteAndReadWindows1252) {
    // Wine's ANSI code page under a C or UTF-8 locale is 1252, the Western one.
    ASSERT_EQ(::GetACP(), 1252U);
    EXPECT_EQ(toHostCodePage("Köln"), "K\xF6ln");
    EXPECT_EQ(toHostCodePage("\u20AC \u201Cq\u201D"), "\x80 \x93q\x94");
    EXPECT_EQ(fromHostCodePage("K\xF6ln \x80"), "Köln \u20AC");
    EXPECT_EQ(fromHostCodePage(toHostCodePage("ÀÿÆø")), "ÀÿÆø");
}

TEST(WindowsCodePage, shouldWriteTheDefaultCharacterForWhatTheCodePageLacks) {
    EXPECT_EQ(toHostCodePage("map \u65E5"), "map ?");
}

class WindowsLinkFile : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;
    std::string map1 = linkFilePath(directory.path(), "map1");

    Kind failureOf(const std::function<void()>& action) {
        const auto kind = failureKindOf(action);
        EXPECT_TRUE(kind.has_value()) << "the operation succeeded";
        return kind.value_or(Kind::OtherFailure);
    }
};

TEST_F(WindowsLinkFile, shouldWriteFourLinesEachEndedByCarriageReturnLineFeed) {
    saveLinkFile(map1, {"map2", "", "map3", ""});
    EXPECT_EQ(readBytes(map1), "map2\r\n\r\nmap3\r\n\r\n");
    saveLinkFile(map1, {});
    EXPECT_EQ(readBytes(map1), "\r\n\r\n\r\n\r\nmap3\r\n\r\n");
}

TEST_F(WindowsLinkFile, shouldStoreAccentsInTheAnsiCodePage) {
    saveLinkFile(map1, {"Köln", "", "\u20AC", ""});
    EXPECT_EQ(readBytes(map1), "K\xF6ln\r\n\r\n\x80\r\n\r\n");
    EXPECT_EQ(loadLinkFile(map1), (LinkRecord{"Köln", "", "\u20AC", ""}));
}

TEST_F(WindowsLinkFile, shouldOverwriteFromTheFirstByteAndKeepAnOlderLongerTail) {
    saveLinkFile(map1, {"map1", "map2", "map3", "map4"});
    saveLinkFile(map1, {"a", "b", "c", "d"});
    EXPECT_EQ(readBytes(map1), "a\r\nb\r\nc\r\nd\r\nmap3\r\nmap4\r\n");
    EXPECT_EQ(loadLinkFile(map1), (LinkRecord{"a", "b", "c", "d"}));
}

TEST_F(WindowsLinkFile, shouldNameAFileOutsideTheCodePageByItsOwnName) {
    const std::string name = "\u65E5\u672C";
    saveLinkFile(linkFilePath(directory.path(), name), {"a", "b", "c", "d"});
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(directory.path()) /
                                        std::filesystem::u8path(name + ".link")));
    EXPECT_EQ(loadLinkFile(linkFilePath(directory.path(), name)).up, "a");
}

TEST_F(WindowsLinkFile, shouldTellTheFailuresApartAsWindowsDoes) {
    EXPECT_EQ(failureOf([&] { loadLinkFile(map1); }), Kind::FileNotFound);
    const std::string nowhere = linkFilePath(directory.path() + "\\nowhere", "map1");
    EXPECT_EQ(failureOf([&] { loadLinkFile(nowhere); }), Kind::PathNotFound);
    EXPECT_EQ(failureOf([&] { saveLinkFile(nowhere, {}); }), Kind::PathNotFound);
    const std::string invalid = linkFilePath(directory.path(), "a<b");
    EXPECT_EQ(failureOf([&] { saveLinkFile(invalid, {}); }), Kind::BadFileName);
    const std::string withNul = linkFilePath(directory.path(), std::string("map1\0x", 6));
    EXPECT_EQ(failureOf([&] { saveLinkFile(withNul, {}); }), Kind::BadFileName);
    writeBytes(map1, "a\r\nb\r\n");
    EXPECT_EQ(failureOf([&] { loadLinkFile(map1); }), Kind::InputPastEndOfFile);
}

TEST_F(WindowsLinkFile, shouldRefuseAFolderInTheFilesPlace) {
    std::filesystem::create_directory(std::filesystem::u8path(map1));
    EXPECT_EQ(failureOf([&] { saveLinkFile(map1, {}); }), Kind::AccessDenied);
    EXPECT_EQ(failureOf([&] { loadLinkFile(map1); }), Kind::AccessDenied);
}

HANDLE openForWriting(const std::string& path) {
    return ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST_F(WindowsLinkFile, shouldBeRefusedWhileAnotherWriterHoldsTheFile) {
    writeBytes(map1, "held\r\n\r\n\r\n\r\n");
    const HANDLE other = ::CreateFileA(map1.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(failureOf([&] { saveLinkFile(map1, {"new", "", "", ""}); }), Kind::AccessDenied);
    ::CloseHandle(other);
    EXPECT_EQ(readBytes(map1), "held\r\n\r\n\r\n\r\n");
}

TEST_F(WindowsLinkFile, shouldLetOthersReadButNotWriteWhileSaving) {
    saveLinkFile(map1, {"a", "b", "c", "d"});
    const FileHandle saving = openToSave(map1); // held as a save in progress holds it
    EXPECT_EQ(readBytes(map1), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(failureOf([&] { saveLinkFile(map1, {}); }), Kind::AccessDenied);
    const HANDLE writer = openForWriting(map1);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "another program could write during a save";
    if (writer != INVALID_HANDLE_VALUE) {
        ::CloseHandle(writer);
    }
}

TEST_F(WindowsLinkFile, shouldWaitForASaveInProgressBeforeLoading) {
    writeBytes(map1, "a\r\nb\r\nc\r\nd\r\n");
    const HANDLE saving = openForWriting(map1);
    ASSERT_NE(saving, INVALID_HANDLE_VALUE);
    auto ending = std::async(std::launch::async, [saving] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::CloseHandle(saving);
    });
    EXPECT_EQ(loadLinkFile(map1), (LinkRecord{"a", "b", "c", "d"}));
    ending.get();
}

TEST_F(WindowsLinkFile, shouldFailWithAccessDeniedWhenASaveDoesNotEnd) {
    writeBytes(map1, "a\r\nb\r\nc\r\nd\r\n");
    const HANDLE saving = openForWriting(map1);
    ASSERT_NE(saving, INVALID_HANDLE_VALUE);
    EXPECT_EQ(failureOf([&] { loadLinkFile(map1); }), Kind::AccessDenied);
    ::CloseHandle(saving);
}

TEST_F(WindowsLinkFile, shouldDescribeAFailureWithThePathInWords) {
    try {
        loadLinkFile(map1);
        FAIL() << "the load succeeded";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.description(), "File not found: " + map1);
    }
}

TEST(WindowsProgramDirectory, shouldBeTheDirectoryOfTheExecutable) {
    const std::string directory = programDirectory();
    ASSERT_GE(directory.size(), 3U);
    EXPECT_EQ(directory[1], ':');
    EXPECT_NE(directory.back(), '\\');
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(directory) /
                                        "windows_linkstore_tests.exe"));
}

} // namespace
} // namespace tovren
