// Several processes on one link file at once: saves exclude each other, and a load never
// returns lines of two different records.
#include "linkstore/linkfile.h"
#include "support/temporarydirectory.h"

#include <array>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tovren {
namespace {

using testing::readBytes;
using Kind = FileFailure::Kind;

constexpr int savesPerProcess = 400;

LinkRecord recordOf(char letter, std::size_t lineLength) {
    return {std::string(lineLength, letter), std::string(lineLength, letter),
            std::string(lineLength, static_cast<char>(letter + 1)),
            std::string(lineLength, static_cast<char>(letter + 1))};
}

std::string bytesOf(const LinkRecord& record) {
    return record.up + "\r\n" + record.down + "\r\n" + record.left + "\r\n" + record.right + "\r\n";
}

struct SaverCounts {
    int saved = 0;
    int refused = 0;
};

// Starts a process that saves the record over and over, and reports how often it was refused.
class Saver {
public:
    Saver(const std::string& path, const LinkRecord& record) {
        if (::pipe(pipe_.data()) != 0 || (child_ = ::fork()) == -1) {
            throw std::runtime_error("cannot start a saving process");
        }
        if (child_ == 0) {
            ::close(pipe_[0]);
            SaverCounts counts;
            int status = 0;
            for (int i = 0; i < savesPerProcess; ++i) {
                try {
                    saveLinkFile(path, record);
                    ++counts.saved;
                } catch (const FileFailure& failure) {
                    if (failure.kind() != Kind::AccessDenied) {
                        status = 1;
                    }
                    ++counts.refused;
                }
                // Saves come apart, as from people pressing Done; back to back, one saver would
                // hold the file nearly all the time and starve the others.
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            status |= ::write(pipe_[1], &counts, sizeof counts) == sizeof counts ? 0 : 1;
            ::_exit(status);
        }
        ::close(pipe_[1]);
    }

    // Reaps the process once it has ended, keeping its exit status for finish().
    bool running() {
        if (!ended_ && ::waitpid(child_, &status_, WNOHANG) == child_) {
            ended_ = true;
        }
        return !ended_;
    }

    SaverCounts finish() {
        SaverCounts counts;
        EXPECT_EQ(::read(pipe_[0], &counts, sizeof counts), static_cast<ssize_t>(sizeof counts));
        ::close(pipe_[0]);
        if (!ended_) {
            ended_ = ::waitpid(child_, &status_, 0) == child_;
        }
        EXPECT_TRUE(ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == 0)
            << "a save failed other than by being refused";
        return counts;
    }

private:
    std::array<int, 2> pipe_{};
    pid_t child_ = -1;
    int status_ = 0;
    bool ended_ = false;
};

class ConcurrentAccess : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;
    std::string path = linkFilePath(directory.path(), "map1");

    // Loads while two processes save: every load is one record whole, or is refused.
    void loadWhileSaving(const LinkRecord& first, const LinkRecord& second) {
        Saver a(path, first);
        Saver b(path, second);
        int loads = 0;
        int mixed = 0;
        while (a.running() || b.running()) {
            try {
                const LinkRecord loaded = loadLinkFile(path);
                ++loads;
                mixed += loaded == first || loaded == second ? 0 : 1;
            } catch (const FileFailure& failure) {
                EXPECT_EQ(failure.kind(), Kind::AccessDenied);
            }
            // Loads come apart too, for the same reason.
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const SaverCounts countsA = a.finish();
        const SaverCounts countsB = b.finish();
        EXPECT_EQ(mixed, 0) << "of " << loads << " loads";
        EXPECT_EQ(countsA.saved + countsA.refused, savesPerProcess);
        EXPECT_EQ(countsB.saved + countsB.refused, savesPerProcess);
        EXPECT_GT(countsA.saved, 0);
        EXPECT_GT(countsB.saved, 0);
        RecordProperty("loads", loads);
        RecordProperty("refusedSaves", countsA.refused + countsB.refused);
    }
};

TEST_F(ConcurrentAccess, shouldKeepEverySaveWholeAndEveryLoadOneRecord) {
    const LinkRecord first = recordOf('a', std::size_t{64} * 1024);
    const LinkRecord second = recordOf('x', std::size_t{64} * 1024);
    saveLinkFile(path, first);
    loadWhileSaving(first, second);
    const std::string bytes = readBytes(path);
    EXPECT_TRUE(bytes == bytesOf(first) || bytes == bytesOf(second));
}

TEST_F(ConcurrentAccess, shouldLeaveOneRecordAndTheOlderTailWhenLengthsDiffer) {
    const LinkRecord longer = recordOf('a', std::size_t{96} * 1024);
    const LinkRecord shorter = recordOf('x', std::size_t{40} * 1024);
    saveLinkFile(path, longer);
    loadWhileSaving(longer, shorter);
    const std::string bytes = readBytes(path);
    const std::string longBytes = bytesOf(longer);
    const std::string shortBytes = bytesOf(shorter);
    EXPECT_TRUE(bytes == longBytes || bytes == shortBytes + longBytes.substr(shortBytes.size()));
}

} // namespace
} // namespace tovren
