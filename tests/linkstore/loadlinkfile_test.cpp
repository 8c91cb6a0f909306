#include "linkstore/linkfile.h"
#include "linkstore/linkformat.h"
#include "support/childprocess.h"
#include "support/temporarydirectory.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <valgrind/valgrind.h>

namespace tovren {
namespace {

using testing::failureKindAsUnprivileged;
using testing::failureKindOf;
using testing::writeBytes;
using Kind = FileFailure::Kind;

class LoadLinkFile : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;
    std::string map1 = linkFilePath(directory.path(), "map1");

    Kind loadFailure(const std::string& path) {
        const auto kind = failureKindOf([&] { loadLinkFile(path); });
        EXPECT_TRUE(kind.has_value()) << "the load succeeded";
        return kind.value_or(Kind::OtherFailure);
    }
};

TEST_F(LoadLinkFile, shouldReturnTheFourLinesInOrder) {
    writeBytes(map1, "map0\r\nmap2\r\nmap3\r\nmap4\r\n");
    EXPECT_EQ(loadLinkFile(map1), (LinkRecord{"map0", "map2", "map3", "map4"}));
}

TEST_F(LoadLinkFile, shouldReadBackWhatWasSaved) {
    const std::vector<LinkRecord> records{
        {}, {"map2", "", "map3", ""}, {" ", "Köln", "\u20AC\U0001F30D", "a\nb"}};
    for (const LinkRecord& record : records) {
        saveLinkFile(map1, record);
        EXPECT_EQ(loadLinkFile(map1), record);
    }
}

TEST_F(LoadLinkFile, shouldReturnAnUnterminatedFourthLine) {
    writeBytes(map1, "a\r\nb\r\nc\r\nlast");
    EXPECT_EQ(loadLinkFile(map1).right, "last");
}

TEST_F(LoadLinkFile, shouldReadAWindows1252FileWithItsAccents) {
    writeBytes(map1, "K\xF6ln\r\nM\xFCnchen\r\n\x80uro\r\nplain\r\n");
    EXPECT_EQ(loadLinkFile(map1), (LinkRecord{"Köln", "München", "\u20ACuro", "plain"}));
}

TEST_F(LoadLinkFile, shouldFailWithInputPastEndOfFileWhenLinesAreMissing) {
    writeBytes(map1, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(loadFailure(map1), Kind::InputPastEndOfFile);
    writeBytes(map1, "");
    EXPECT_EQ(loadFailure(map1), Kind::InputPastEndOfFile);
    writeBytes(map1, "a\r\nb\r\n");
    EXPECT_EQ(loadFailure(map1), Kind::InputPastEndOfFile);
}

TEST_F(LoadLinkFile, shouldFailWithFileNotFoundForAMissingFile) {
    EXPECT_EQ(loadFailure(map1), Kind::FileNotFound);
    EXPECT_EQ(loadFailure(linkFilePath(directory.path(), " ")), Kind::FileNotFound);
}

TEST_F(LoadLinkFile, shouldFailWithPathNotFoundForAMissingDirectory) {
    EXPECT_EQ(loadFailure(linkFilePath(directory.file("nowhere"), "map1")), Kind::PathNotFound);
    EXPECT_EQ(loadFailure(linkFilePath(directory.path(), "nowhere/map1")), Kind::PathNotFound);
}

TEST_F(LoadLinkFile, shouldFailWithAccessDeniedForAFolderInTheFilesPlace) {
    ::mkdir(map1.c_str(), 0755);
    EXPECT_EQ(loadFailure(map1), Kind::AccessDenied);
}

TEST_F(LoadLinkFile, shouldFailWithAccessDeniedWithoutTheRightToRead) {
    writeBytes(map1, "a\r\nb\r\nc\r\nd\r\n");
    ::chmod(map1.c_str(), 0200);
    EXPECT_EQ(failureKindAsUnprivileged([&] { loadLinkFile(map1); }), Kind::AccessDenied);
}

TEST_F(LoadLinkFile, shouldFailWithBadFileNameForANameTooLongOrHoldingNul) {
    EXPECT_EQ(loadFailure(linkFilePath(directory.path(), std::string(300, 'm'))),
              Kind::BadFileName);
    writeBytes(directory.file("map1"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(loadFailure(linkFilePath(directory.path(), std::string("map1\0", 5))),
              Kind::BadFileName);
}

TEST_F(LoadLinkFile, shouldFailWithOtherFailureAndTheHostsWordsForAnythingElse) {
    ASSERT_EQ(::symlink(map1.c_str(), map1.c_str()), 0); // a link that points at itself
    try {
        loadLinkFile(map1);
        FAIL() << "the load succeeded";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.kind(), Kind::OtherFailure);
        EXPECT_EQ(failure.description(),
                  "File error: " + map1 + " (Too many levels of symbolic links)");
    }
}

TEST_F(LoadLinkFile, shouldLoadALineOfTensOfMegabytes) {
    const std::string huge(24 * 1024 * 1024 + 7, 'x');
    writeBytes(map1, "up\r\n" + huge + "\r\nleft\r\n" + huge);
    const LinkRecord record = loadLinkFile(map1);
    EXPECT_EQ(record.down.size(), huge.size());
    EXPECT_EQ(record.right.size(), huge.size());
    EXPECT_EQ(record.left, "left");
}

TEST_F(LoadLinkFile, shouldReportALineTooLongForMemoryInsteadOfCrashing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer needs more address space than this test leaves";
#else
    if (RUNNING_ON_VALGRIND) {
        GTEST_SKIP() << "Valgrind needs more address space than this test leaves";
    }
    writeBytes(map1, "");
    std::filesystem::resize_file(map1, std::size_t{1} << 30); // one line of 1 GiB of zeros
    const auto kind = testing::failureKindInChildProcess([&] {
        const rlimit limit{512U << 20, 512U << 20};
        ::setrlimit(RLIMIT_AS, &limit);
        loadLinkFile(map1);
    });
    EXPECT_EQ(kind, Kind::OtherFailure);
#endif
}

TEST_F(LoadLinkFile, shouldTakeATerminatorSplitAcrossReadBuffersAsOne) {
    // Buffers of 64 KiB: the first line's CR is the last byte of one, its LF the next's first.
    for (const std::size_t length : {65535U, 65534U, 65536U, 131071U}) {
        const std::string first(length, 'a');
        writeBytes(map1, first + "\r\n\nb\r\nc\r\nd\r\n");
        EXPECT_EQ(loadLinkFile(map1), (LinkRecord{first, "\nb", "c", "d"})) << length;
    }
}

TEST_F(LoadLinkFile, shouldWaitForASaveInProgressToEnd) {
    writeBytes(map1, "a\r\nb\r\nc\r\nd\r\n");
    const int saver = ::open(map1.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(saver, LOCK_EX | LOCK_NB), 0);
    auto saving = std::async(std::launch::async, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ::pwrite(saver, "A\r\nB\r\nC\r\nD\r\n", 12, 0);
        ::close(saver); // the save ends
    });
    EXPECT_EQ(loadLinkFile(map1), (LinkRecord{"A", "B", "C", "D"}));
    saving.get();
}

TEST_F(LoadLinkFile, shouldFailWithAccessDeniedWhenASaveDoesNotEnd) {
    writeBytes(map1, "a\r\nb\r\nc\r\nd\r\n");
    const int saver = ::open(map1.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(saver, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(loadFailure(map1), Kind::AccessDenied);
    ::close(saver);
}

TEST_F(LoadLinkFile, shouldStopReadingOnceItHasFourLines) {
    // A source that never ends after its fourth line: reading on would wait for ever.
    int readsAfterTheFourthLine = 0;
    bool given = false;
    const LinkRecord record = readLinkRecord(map1, [&](char* buffer, std::size_t size) {
        const std::string bytes = "a\r\nb\r\nc\r\nd\r\n";
        if (given) {
            ++readsAfterTheFourthLine;
            return std::size_t{0};
        }
        given = true;
        EXPECT_GE(size, bytes.size());
        bytes.copy(buffer, bytes.size());
        return bytes.size();
    });
    EXPECT_EQ(record, (LinkRecord{"a", "b", "c", "d"}));
    EXPECT_EQ(readsAfterTheFourthLine, 0);
}

TEST_F(LoadLinkFile, shouldRefuseWhatIsNotARegularFileWithoutHanging) {
    // Devices and pipes may never end or never answer; a link to one is refused as well.
    const std::string fifo = linkFilePath(directory.path(), "fifo");
    const std::string fedFifo = linkFilePath(directory.path(), "fed");
    const std::string zeros = linkFilePath(directory.path(), "zeros");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(fedFifo.c_str(), 0644), 0);
    const int writer = ::open(fedFifo.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, "a\r\nb\r\nc\r\nd\r\n", 12), 12);
    ASSERT_EQ(::symlink("/dev/zero", zeros.c_str()), 0);
    for (const std::string& path : {fifo, fedFifo, zeros}) {
        auto loading = std::async(std::launch::async,
                                  [&] { return failureKindOf([&] { loadLinkFile(path); }); });
        ASSERT_EQ(loading.wait_for(std::chrono::seconds(20)), std::future_status::ready)
            << "the load of " << path << " did not end";
        EXPECT_EQ(loading.get(), Kind::AccessDenied) << path;
    }
    ::close(writer);
}

} // namespace
} // namespace tovren
