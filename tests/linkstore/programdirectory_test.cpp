#include "linkstore/linkfile.h"
#include "support/temporarydirectory.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace tovren {
namespace {

using testing::TemporaryDirectory;

// Runs the helper that prints its programDirectory(), from the given working directory.
std::string printedDirectory(const std::string& program, const std::string& workingDirectory) {
    const std::string command = "cd '" + workingDirectory + "' && '" + program + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    if (pipe != nullptr) {
        ::pclose(pipe);
    }
    return output;
}

const std::string helper = PRINT_PROGRAM_DIRECTORY;

TEST(ProgramDirectory, shouldBeTheExecutablesDirectoryNotTheWorkingDirectory) {
    TemporaryDirectory elsewhere;
    const auto expected = std::filesystem::canonical(helper).parent_path().string();
    EXPECT_EQ(printedDirectory(helper, elsewhere.path()), expected);
}

TEST(ProgramDirectory, shouldFollowTheExecutableWhenItIsCopied) {
    TemporaryDirectory copyPlace;
    TemporaryDirectory elsewhere;
    const std::string copy = copyPlace.file("print_program_directory");
    std::filesystem::copy_file(helper, copy);
    EXPECT_EQ(printedDirectory(copy, elsewhere.path()),
              std::filesystem::canonical(copyPlace.path()).string());
}

TEST(ProgramDirectory, shouldResolveASymbolicLinkToTheExecutable) {
    TemporaryDirectory linkPlace;
    const std::string link = linkPlace.file("tovren-link");
    std::filesystem::create_symlink(helper, link);
    const auto expected = std::filesystem::canonical(helper).parent_path().string();
    EXPECT_EQ(printedDirectory(link, linkPlace.path()), expected);
}

TEST(ProgramDirectory, shouldBeAnAbsolutePathWithoutTrailingSeparator) {
    const std::string directory = programDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.front(), '/');
    EXPECT_NE(directory.back(), '/');
}

} // namespace
} // namespace tovren
