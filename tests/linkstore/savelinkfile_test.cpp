#include "linkstore/linkfile.h"
#include "support/childprocess.h"
#include "support/temporarydirectory.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovren {
namespace {

using testing::failureKindAsUnprivileged;
using testing::failureKindInChildProcess;
using testing::failureKindOf;
using testing::readBytes;
using testing::writeBytes;
using Kind = FileFailure::Kind;

class SaveLinkFile : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;
    std::string map1 = linkFilePath(directory.path(), "map1");

    Kind saveFailure(const std::string& path, const LinkRecord& record = {}) {
        const auto kind = failureKindOf([&] { saveLinkFile(path, record); });
        EXPECT_TRUE(kind.has_value()) << "the save succeeded";
        return kind.value_or(Kind::OtherFailure);
    }
};

TEST_F(SaveLinkFile, shouldWriteFourLinesEachEndedByCarriageReturnLineFeed) {
    saveLinkFile(map1, {"map2", "", "map3", ""});
    EXPECT_EQ(readBytes(map1), "map2\r\n\r\nmap3\r\n\r\n");
}

TEST_F(SaveLinkFile, shouldWriteEightBytesForFourEmptyTexts) {
    saveLinkFile(map1, {});
    EXPECT_EQ(readBytes(map1), "\r\n\r\n\r\n\r\n");
}

TEST_F(SaveLinkFile, shouldWriteTextVerbatimAsUtf8) {
    saveLinkFile(map1, {"Köln", " spaced ", "line\nfeed", "tab\there"});
    EXPECT_EQ(readBytes(map1), "K\xC3\xB6ln\r\n spaced \r\nline\nfeed\r\ntab\there\r\n");
}

TEST_F(SaveLinkFile, shouldOverwriteFromTheFirstByteAndKeepAnOlderLongerTail) {
    saveLinkFile(map1, {"map1", "map2", "map3", "map4"});
    saveLinkFile(map1, {"a", "b", "c", "d"});
    EXPECT_EQ(readBytes(map1), "a\r\nb\r\nc\r\nd\r\nmap3\r\nmap4\r\n");
    EXPECT_EQ(loadLinkFile(map1), (LinkRecord{"a", "b", "c", "d"}));
}

TEST_F(SaveLinkFile, shouldCreateTheFileWithReadWriteModeLessTheUmask) {
    const mode_t previous = ::umask(022);
    saveLinkFile(map1, {});
    ::umask(previous);
    struct stat status {};
    ASSERT_EQ(::stat(map1.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644U);
}

TEST_F(SaveLinkFile, shouldSaveAnEmptyNameAsTheFileDotLink) {
    saveLinkFile(linkFilePath(directory.path(), ""), {"a", "b", "c", "d"});
    EXPECT_EQ(readBytes(directory.file(".link")), "a\r\nb\r\nc\r\nd\r\n");
}

TEST_F(SaveLinkFile, shouldReachAnotherDirectoryThroughTheName) {
    ::mkdir(directory.file("world").c_str(), 0755);
    ::mkdir(directory.file("maps").c_str(), 0755);
    saveLinkFile(linkFilePath(directory.file("maps"), "../world/map1"), {});
    EXPECT_EQ(readBytes(directory.file("world/map1.link")), "\r\n\r\n\r\n\r\n");
}

TEST_F(SaveLinkFile, shouldTellNamesApartByCase) {
    saveLinkFile(linkFilePath(directory.path(), "map1"), {"lower", "", "", ""});
    saveLinkFile(linkFilePath(directory.path(), "Map1"), {"upper", "", "", ""});
    EXPECT_EQ(loadLinkFile(directory.file("map1.link")).up, "lower");
    EXPECT_EQ(loadLinkFile(directory.file("Map1.link")).up, "upper");
}

TEST_F(SaveLinkFile, shouldFailWithPathNotFoundWhenADirectoryIsMissing) {
    EXPECT_EQ(saveFailure(linkFilePath(directory.file("nowhere"), "map1")), Kind::PathNotFound);
    writeBytes(directory.file("plain"), "a file, not a directory");
    EXPECT_EQ(saveFailure(linkFilePath(directory.file("plain"), "map1")), Kind::PathNotFound);
}

TEST_F(SaveLinkFile, shouldFailWithBadFileNameForANameTooLong) {
    EXPECT_EQ(saveFailure(linkFilePath(directory.path(), std::string(300, 'm'))),
              Kind::BadFileName);
}

TEST_F(SaveLinkFile, shouldFailWithBadFileNameRatherThanCutANameAtANulByte) {
    const std::string path = linkFilePath(directory.path(), std::string("map1\0evil", 9));
    EXPECT_EQ(saveFailure(path), Kind::BadFileName);
    EXPECT_FALSE(std::filesystem::exists(directory.file("map1")));
}

TEST_F(SaveLinkFile, shouldFailWithAccessDeniedForAFolderInTheFilesPlace) {
    ::mkdir(map1.c_str(), 0755);
    EXPECT_EQ(saveFailure(map1), Kind::AccessDenied);
}

TEST_F(SaveLinkFile, shouldFailWithAccessDeniedAndLeaveTheFileWhileAnotherWriterHoldsIt) {
    writeBytes(map1, "held\r\n\r\n\r\n\r\n");
    const int other = ::open(map1.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(saveFailure(map1, {"new", "new", "new", "new"}), Kind::AccessDenied);
    ::close(other);
    EXPECT_EQ(readBytes(map1), "held\r\n\r\n\r\n\r\n");
    saveLinkFile(map1, {"next", "", "", ""}); // once the other writer is gone, saving works
    EXPECT_EQ(readBytes(map1), "next\r\n\r\n\r\n\r\n");
}

TEST_F(SaveLinkFile, shouldLetProgramsThatTakeNoLockReadWhileSaving) {
    writeBytes(map1, "a\r\nb\r\nc\r\nd\r\n");
    const int saver = ::open(map1.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(saver, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(readBytes(map1), "a\r\nb\r\nc\r\nd\r\n");
    ::close(saver);
}

TEST_F(SaveLinkFile, shouldFailWithAccessDeniedForAReadOnlyFile) {
    writeBytes(map1, "old\r\n\r\n\r\n\r\n");
    ::chmod(map1.c_str(), 0444);
    EXPECT_EQ(failureKindAsUnprivileged([&] { saveLinkFile(map1, {}); }), Kind::AccessDenied);
    EXPECT_EQ(readBytes(map1), "old\r\n\r\n\r\n\r\n");
}

TEST_F(SaveLinkFile, shouldFailWithAccessDeniedEverywhereInADirectoryNotWritable) {
    ::chmod(directory.path().c_str(), 0555);
    EXPECT_EQ(failureKindAsUnprivileged([&] { saveLinkFile(map1, {}); }), Kind::AccessDenied);
    EXPECT_EQ(failureKindAsUnprivileged([&] { saveLinkFile(directory.file(".link"), {}); }),
              Kind::AccessDenied);
}

TEST_F(SaveLinkFile, shouldFailWithWriteFailureWhenTheDeviceIsFull) {
    ASSERT_EQ(::symlink("/dev/full", map1.c_str()), 0);
    EXPECT_EQ(saveFailure(map1, {"map2", "", "", ""}), Kind::WriteFailure);
}

TEST_F(SaveLinkFile, shouldFailWithWriteFailureWhenTheFileSizeLimitIsReached) {
    const LinkRecord large{std::string(100'000, 'u'), "d", "l", "r"};
    const auto kind = failureKindInChildProcess([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        saveLinkFile(map1, large);
    });
    EXPECT_EQ(kind, Kind::WriteFailure);
    // What was written before the device gave up stays, as from a failing Windows write.
    EXPECT_EQ(readBytes(map1), std::string(4096, 'u'));
}

TEST_F(SaveLinkFile, shouldNotLeaveTheFileOpenAfterAFailure) {
    ASSERT_EQ(::symlink("/dev/full", map1.c_str()), 0);
    for (int attempt = 0; attempt < 2000; ++attempt) { // would run out of descriptors if leaked
        ASSERT_EQ(saveFailure(map1), Kind::WriteFailure);
    }
}

TEST_F(SaveLinkFile, shouldDescribeTheFailureInWordsWithThePath) {
    try {
        saveLinkFile(linkFilePath(directory.file("nowhere"), "map1"), {});
        FAIL() << "the save succeeded";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.description(), "Path not found: " + directory.file("nowhere/map1.link"));
    }
}

} // namespace
} // namespace tovren
