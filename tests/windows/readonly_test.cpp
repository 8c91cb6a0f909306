// A read-only file and a directory the user may not write to refuse a save. Run as a user
// other than root: Wine, like Windows' administrators, would let root write anyway.
#include "linkstore/linkfile.h"
#include "support/failurekind.h"
#include "support/temporarydirectory.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace tovren {
namespace {

using testing::failureKindOf;
using testing::readBytes;
using testing::writeBytes;

TEST(WindowsReadOnly, shouldRefuseToSaveOverAReadOnlyFile) {
    testing::TemporaryDirectory directory;
    const std::string map1 = linkFilePath(directory.path(), "map1");
    writeBytes(map1, "old\r\n\r\n\r\n\r\n");
    ASSERT_TRUE(::SetFileAttributesA(map1.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(failureKindOf([&] {
                  saveLinkFile(map1, {"new", "", "", ""});
              }),
              FileFailure::Kind::AccessDenied);
    EXPECT_EQ(readBytes(map1), "old\r\n\r\n\r\n\r\n");
    ::SetFileAttributesA(map1.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
} // namespace tovren
