#include "linkstore/linkfile.h"

#include <gtest/gtest.h>

namespace tovren {
namespace {

TEST(LinkFilePath, shouldJoinDirectorySeparatorNameAndExtension) {
    EXPECT_EQ(linkFilePath("/srv/maps", "map1"), "/srv/maps/map1.link");
}

TEST(LinkFilePath, shouldKeepTheNameVerbatim) {
    EXPECT_EQ(linkFilePath("/srv/maps", "map1.link"), "/srv/maps/map1.link.link");
    EXPECT_EQ(linkFilePath("/srv/maps", ""), "/srv/maps/.link");
    EXPECT_EQ(linkFilePath("/srv/maps", " Map 1 "), "/srv/maps/ Map 1 .link");
    EXPECT_EQ(linkFilePath("/srv/maps", "../world/map1"), "/srv/maps/../world/map1.link");
    EXPECT_EQ(linkFilePath("/srv/maps", "Kärnten"), "/srv/maps/Kärnten.link");
}

TEST(LinkFilePath, shouldDoubleTheSeparatorAfterTheRootDirectory) {
    EXPECT_EQ(linkFilePath("/", "map1"), "//map1.link");
}

TEST(LinkFilePath, shouldKeepAnEmbeddedNulByte) {
    const std::string name("map\0x", 5);
    EXPECT_EQ(linkFilePath("/d", name), std::string("/d/map\0x.link", 13));
}

} // namespace
} // namespace tovren
