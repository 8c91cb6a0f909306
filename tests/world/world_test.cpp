// The world library on small worlds made in a fresh folder: each kind of finding, how texts are
// followed, the grid, and the inputs that must give a finding rather than a crash or a hang.
#include "linkstore/linkfile.h"
#include "support/childprocess.h"
#include "support/temporarydirectory.h"
#include "world/findingmends.h"
#include "world/world.h"

#include <chrono>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace tovren {
namespace {

using testing::writeBytes;

class WorldOfMaps : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;

    void map(const std::string& name, const LinkRecord& links) {
        saveLinkFile(linkFilePath(directory.path(), name), links);
    }

    World world() { return readWorld(directory.path()); }

    // Each finding as "kind map direction target", in the order given, and what mends it, if
    // anything, as "=> label: map up,down,left,right", the record it saves.
    static std::vector<std::string> findings(const World& world) {
        std::vector<std::string> told;
        const std::vector<std::optional<FindingMend>> mends = findingMends(world);
        for (std::size_t at = 0; at < world.findings.size(); ++at) {
            const Finding& finding = world.findings[at];
            std::string line = std::string(findingKindName(finding.kind)) + " " + finding.map;
            if (finding.direction) {
                line += " " + std::string(directionName(*finding.direction));
            }
            if (finding.target) {
                line += " " + *finding.target;
            }
            if (const std::optional<FindingMend>& mend = mends.at(at)) {
                const LinkRecord& links = *mend->saves.at(0).links;
                line += " => " + mend->label + ": " + mend->saves[0].map + " " + links.up + "," +
                        links.down + "," + links.left + "," + links.right;
            }
            told.push_back(line);
        }
        return told;
    }

    static const WorldMap& named(const World& world, const std::string& name) {
        for (const WorldMap& map : world.maps) {
            if (map.name == name) {
                return map;
            }
        }
        throw std::runtime_error("no map " + name);
    }
};

TEST_F(WorldOfMaps, shouldFindNothingWrongWithLinksThatLeadBothWays) {
    map("map1", {"", "map2", "", "map3"});
    map("map2", {"map1", "", "", "map4"});
    map("map3", {"", "map4", "map1", ""});
    map("map4", {"map3", "", "map2", ""});
    map("wrap", {"", "", "wrap", "wrap"}); // around itself, both ways
    const World world = readWorld(directory.path() + "/.");
    EXPECT_EQ(findings(world), std::vector<std::string>{});
    EXPECT_EQ(world.folder, directory.path());
    EXPECT_EQ(world.regionCount, 2U);
    EXPECT_EQ(named(world, "map4").cell, (Cell{1, 1}));
    EXPECT_EQ(named(world, "map2").cell, (Cell{0, 1}));
    EXPECT_EQ(named(world, "wrap").cell, (Cell{0, 0}));
    EXPECT_EQ(named(world, "wrap").region, 2U);
}

TEST_F(WorldOfMaps, shouldTellOneWayLinksThatLeadNowhereOrElsewhereBack) {
    map("a", {"", "", "", "b"});
    map("b", {"", "", "c", ""}); // back to another map
    map("c", {"", "", "", ""});  // b leads left to c: c leads nowhere right
    map("d", {"d", "", "", ""}); // to itself one way only
    map("e", {"", "c", "", ""}); // c leads nowhere up either: a second mend of c
    map("x", {"", "", "", "z"}); // x and y both want z's way left
    map("y", {"", "", "", "z"});
    map("z", {"", "", "", ""});
    const World world = this->world();
    // Each mend changes its one field, from the record as read.
    EXPECT_EQ(findings(world),
              (std::vector<std::string>{"one-way a right b",
                                        "one-way b left c => Make it lead back: c ,,,b",
                                        "one-way d up d => Make it lead back: d d,d,,",
                                        "one-way e down c => Make it lead back: c e,,,",
                                        "one-way x right z", "one-way y right z"}));
    EXPECT_EQ(findingMends(world)[1]->saves[0].expect, named(world, "c").links);
    EXPECT_EQ(world.findings[0].message, "a leads right to b, but b leads left to c");
    EXPECT_EQ(world.findings[1].message, "b leads left to c, but c leads nowhere right");
    EXPECT_EQ(world.count(Severity::Error), 6U);
}

TEST_F(WorldOfMaps, shouldTellDanglingLinksAndSuggestANameThatDiffersInCaseOrBlanks) {
    map("map4", {"Map9", " map9 ", "map7", ""});
    map("map9", {"", "", "", ""});
    const World world = this->world();
    EXPECT_EQ(findings(world), (std::vector<std::string>{
                                   "dangling map4 up Map9 => Take map9: map4 map9, map9 ,map7,",
                                   "dangling map4 down  map9  => Take map9: map4 Map9,map9,map7,",
                                   "dangling map4 left map7"}));
    EXPECT_EQ(world.findings[0].message,
              "map4 leads up to Map9, which has no link file; did you mean map9?");
    EXPECT_EQ(world.findings[1].message,
              "map4 leads down to \" map9 \", which has no link file; did you mean map9?");
    EXPECT_EQ(world.findings[2].message, "map4 leads left to map7, which has no link file");
}

TEST_F(WorldOfMaps, shouldFollowTextsIntoOtherFoldersAsLoadResolvesThem) {
    std::filesystem::create_directories(directory.file("maps/sub"));
    std::filesystem::create_directory(directory.file("cave"));
    const std::string maps = directory.file("maps");
    saveLinkFile(linkFilePath(maps, "hub"), {"sub/north", "../cave/deep", "./hub", ""});
    saveLinkFile(linkFilePath(maps, "sub/north"), {"", "hub", "", ""});
    saveLinkFile(linkFilePath(maps, "../cave/deep"), {"sub/../hub", "", "", ""});
    const World world = readWorld(maps);
    // "./hub" is hub itself: a one-way link to itself; the others lead back, however spelt.
    EXPECT_EQ(findings(world),
              (std::vector<std::string>{"one-way hub left ./hub => Make it lead back: hub "
                                        "sub/north,../cave/deep,./hub,hub"}));
    ASSERT_EQ(world.maps.size(), 3U);
    // One column, top to bottom.
    EXPECT_EQ(named(world, "sub/north").cell, (Cell{0, 0}));
    EXPECT_EQ(named(world, "hub").cell, (Cell{0, 1}));
    EXPECT_EQ(named(world, "../cave/deep").cell, (Cell{0, 2}));
    EXPECT_EQ(world.regionCount, 1U);
}

TEST_F(WorldOfMaps, shouldTellUnreadableFilesAndGoOnWithTheOthers) {
    writeBytes(directory.file("short.link"), "a\r\nb\r\nc\r\n");
    writeBytes(directory.file("empty.link"), "");
    std::filesystem::create_directory(directory.file("folder.link"));
    ASSERT_EQ(::mkfifo(directory.file("fifo.link").c_str(), 0644), 0); // never opened to read
    ASSERT_EQ(::symlink("/dev/zero", directory.file("zeros.link").c_str()), 0);
    ASSERT_EQ(::symlink("loop.link", directory.file("loop.link").c_str()), 0);
    map("fine", {"short", "", "", ""});
    auto checking = std::async(std::launch::async, [&] { return world(); });
    ASSERT_EQ(checking.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    const World world = checking.get();
    EXPECT_EQ(findings(world), (std::vector<std::string>{"unreadable empty", "unreadable fifo",
                                                         "unreadable folder", "unreadable loop",
                                                         "unreadable short", "unreadable zeros"}));
    EXPECT_EQ(world.findings[4].message,
              "short cannot be loaded: Input past end of file: " + directory.file("short.link") +
                  " (the file has fewer than four lines)");
    EXPECT_FALSE(named(world, "short").links);
    EXPECT_EQ(named(world, "short").region, named(world, "fine").region);
}

TEST_F(WorldOfMaps, shouldReadEachMapsSizeFromItsTiledMapAndTellOneThatGivesNone) {
    const auto tmx = [&](const std::string& name, const std::string& attributes,
                         const std::string& inside = "") {
        map(name, {"", "", "", ""});
        writeBytes(directory.file(name + ".tmx"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- made by hand -->\n"
                   "<map version=\"1.10\" " +
                       attributes + ">" + inside + "</map>\n");
    };
    const std::string tiles = " tilewidth=\"16\" tileheight=\"16\"";
    const std::string chunks =
        "<layer id=\"1\"><data encoding=\"csv\"><chunk x=\"-16\" y=\"0\" width=\"16\" "
        "height=\"16\">0</chunk></data></layer><group><layer><data><chunk x=\"16\" y=\"16\" "
        "width=\"16\" height=\"16\">0</chunk></data></layer></group>";
    tmx("plain", "width=\"20\" height=\"15\"" + tiles, std::string(1 << 20, ' '));
    tmx("iso", "orientation=\"isometric\" width=\"20\" height=\"15\"" + tiles);
    tmx("endless", "infinite=\"1\" width=\"1\" height=\"1\"" + tiles, chunks);
    tmx("both", "width=\"2\" height=\"3\"" + tiles);
    writeBytes(directory.file("both.tmj"), "{\"width\":9}");
    map("json", {"", "", "", ""});
    writeBytes(directory.file("json.tmj"),
               "{\"height\":3,\"infinite\":false,\"layers\":[{\"data\":[0,0,0,0,0,0],"
               "\"width\":2}],\"tileheight\":32,\"tilesets\":[{\"tilewidth\":99}],"
               "\"tilewidth\":8,\"type\":\"map\",\"width\":2}");
    map("chunked", {"", "", "", ""});
    writeBytes(directory.file("chunked.tmj"),
               "{\"infinite\":true,\"tilewidth\":16,\"tileheight\":16,\"width\":1,\"height\":1,"
               "\"layers\":[{\"type\":\"group\",\"layers\":[{\"chunks\":[{\"x\":0,\"y\":-32,"
               "\"width\":16,\"height\":16,\"data\":[0]}]}]}]}");
    // What gives no size: each told, none a crash.
    tmx("nowidth", "height=\"15\"" + tiles);
    tmx("zero", "width=\"0\" height=\"15\"" + tiles);
    tmx("negative", "width=\"20\" height=\"15\" tilewidth=\"16\" tileheight=\"-16\"");
    tmx("fraction", "width=\"2.5\" height=\"15\"" + tiles);
    tmx("huge", "width=\"99999999\" height=\"15\"" + tiles);
    tmx("nochunk", "infinite=\"1\" width=\"20\" height=\"15\"" + tiles);
    map("notxml", {"", "", "", ""});
    writeBytes(directory.file("notxml.tmx"), "width=20 <map");
    map("tileset", {"", "", "", ""});
    writeBytes(directory.file("tileset.tmx"), "<tileset name=\"ground\"/>");
    map("notjson", {"", "", "", ""});
    writeBytes(directory.file("notjson.tmj"), "{\"width\": 20,");
    map("folder", {"", "", "", ""});
    std::filesystem::create_directory(directory.file("folder.tmx"));
    const World world = this->world();
    const auto sizeOf = [&](const std::string& name) {
        return named(world, name).size;
    };
    EXPECT_EQ(sizeOf("plain"), (MapSize{320, 240, 16, 16}));
    EXPECT_EQ(sizeOf("endless"), (MapSize{768, 512, 16, 16})); // 48 by 32 tiles of chunks
    EXPECT_EQ(sizeOf("both"), (MapSize{32, 48, 16, 16}));      // the .tmx before the .tmj
    EXPECT_EQ(sizeOf("json"), (MapSize{16, 96, 8, 32}));
    EXPECT_EQ(sizeOf("chunked"), (MapSize{256, 256, 16, 16}));
    EXPECT_FALSE(sizeOf("iso")) << "a map that is not orthogonal has no size of its own";
    EXPECT_EQ(named(world, "json").tiledPath, directory.file("json.tmj"));
    std::map<std::string, std::string> told;
    for (const Finding& finding : world.findings) {
        ASSERT_EQ(finding.kind, FindingKind::Unreadable) << finding.message;
        EXPECT_FALSE(named(world, finding.map).size) << finding.map;
        told[finding.map] = finding.message;
    }
    const auto reason = [&](const std::string& name, const std::string& ending) {
        return name + "'s Tiled map cannot be read: " + directory.file(name + ending) + ": ";
    };
    EXPECT_EQ(told["nowidth"], reason("nowidth", ".tmx") + "it gives no width");
    EXPECT_EQ(told["zero"], reason("zero", ".tmx") + "its width is 0");
    EXPECT_EQ(told["negative"], reason("negative", ".tmx") + "its tileheight is -16");
    EXPECT_EQ(told["fraction"],
              reason("fraction", ".tmx") + "its width is not a whole number of tiles: 2.5");
    EXPECT_EQ(told["huge"], reason("huge", ".tmx") + "it is larger than 67108864 pixels across");
    EXPECT_EQ(told["nochunk"],
              reason("nochunk", ".tmx") + "it is infinite and holds no chunk of tiles");
    EXPECT_TRUE(told["notxml"].starts_with(reason("notxml", ".tmx") + "it is not XML: "))
        << told["notxml"];
    EXPECT_EQ(told["tileset"],
              reason("tileset", ".tmx") + "it is not a Tiled map: its root element is <tileset>");
    EXPECT_TRUE(told["notjson"].starts_with(reason("notjson", ".tmj") + "it is not JSON: "))
        << told["notjson"];
    EXPECT_EQ(told["folder"], "folder's Tiled map cannot be read: Access denied: " +
                                  directory.file("folder.tmx") + " (it is a folder, not a file)");
    EXPECT_EQ(told.size(), 10U);
}

TEST_F(WorldOfMaps, shouldTellAnUnresolvedMergeAndFollowNothingFromItsFields) {
    writeBytes(directory.file("hub.link"), "<<<<<<< ours\r\neast\r\n=======\r\nwest\r\n"
                                           ">>>>>>> theirs\r\n\r\nnowhere\r\n\r\n");
    map("east", {"", "hub", "", ""}); // one-way to a map whose way back is not trusted
    const World world = this->world();
    EXPECT_EQ(findings(world), (std::vector<std::string>{"conflict hub"}));
    EXPECT_EQ(world.findings[0].message, "hub holds an unresolved merge (lines 1 to 5)");
    const WorldMap& hub = named(world, "hub");
    EXPECT_FALSE(hub.links);
    ASSERT_TRUE(hub.unresolvedMerge);
    EXPECT_EQ(hub.unresolvedMerge->theirs, (LinkRecord{"west", "", "nowhere", ""}));
    EXPECT_TRUE(hub.cell);
}

TEST_F(WorldOfMaps, shouldWarnOnTheGridOfMapsOnOneCellAndMapsThatWouldNeedTwo) {
    // A ring of three maps going right: c would lie right of b and left of a.
    map("a", {"", "", "c", "b"});
    map("b", {"", "", "a", "c"});
    map("c", {"", "", "b", "a"});
    // Two maps right of x: y leads right back to x, z left to it.
    map("x", {"", "", "", "y"});
    map("y", {"", "", "x", ""});
    map("z", {"", "", "x", ""});
    const World world = readWorld(directory.path(), LayoutRule::Grid);
    EXPECT_EQ(findings(world),
              (std::vector<std::string>{"one-way z left x", "overlap b right c", "overlap z"}));
    EXPECT_EQ(world.findings[1].severity(), Severity::Warning);
    EXPECT_EQ(world.findings[2].message, "y and z fall on the same cell (1, 0)");
    EXPECT_EQ(world.findings[1].message,
              "b leads right to c, which would put b at (-2, 0), but other links put it at (1, 0)");
    EXPECT_FALSE(named(world, "b").cell);
    EXPECT_EQ(named(world, "a").cell, (Cell{0, 0}));
    EXPECT_EQ(named(world, "c").cell, (Cell{-1, 0}));
    EXPECT_FALSE(named(world, "y").cell);
    EXPECT_FALSE(named(world, "z").cell);
    EXPECT_EQ(world.regionCount, 2U);
}

TEST_F(WorldOfMaps, shouldReadOddNamesAndTextsWithoutFailing) {
    writeBytes(directory.file("K\xF6ln.link"),
               "\r\n\r\n\r\n\r\n"); // not UTF-8: shown as Windows-1252
    map("", {"", "", "", ""});      // the file .link
    map("odd", {"tab\there", std::string(100000, 'x'), "a/../../../../x", "  "});
    const World world = this->world();
    EXPECT_EQ(world.maps[0].name, "");
    EXPECT_EQ(world.maps[1].name, "K\u00F6ln");
    const std::vector<std::string> told = findings(world);
    ASSERT_EQ(told.size(), 4U);
    EXPECT_EQ(world.findings[0].message,
              "odd leads up to \"tab\\x09here\", which has no link file");
    EXPECT_LT(world.findings[1].message.size(), 300U) << "a long name is shortened";
    EXPECT_EQ(world.findings[3].target, "  ");
}

TEST_F(WorldOfMaps, shouldReadOnlyTheFourLinesOfAHugeFileAndNoMoreThan1MiBLookingForThem) {
    writeBytes(directory.file("huge.link"), "a\r\nb\r\nc\r\nd\r\n" + std::string(100 << 20, 'x'));
    writeBytes(directory.file("endless.link"), "a\r\nb\r\n" + std::string(2 << 20, 'x'));
    const World world = this->world();
    EXPECT_EQ(named(world, "huge").links, (LinkRecord{"a", "b", "c", "d"}));
    EXPECT_EQ(world.findings.at(0).message,
              "endless cannot be loaded: File error: " + directory.file("endless.link") +
                  " (larger than any link file: its first four lines do not end within 1 MiB)");
}

TEST_F(WorldOfMaps, shouldRefuseAFolderThatCannotBeListed) {
    EXPECT_THROW(readWorld(directory.file("missing")), FolderFailure);
    writeBytes(directory.file("file"), "");
    EXPECT_THROW(readWorld(directory.file("file")), FolderFailure);
    std::filesystem::create_directory(directory.file("closed"));
    ::chmod(directory.file("closed").c_str(), 0300); // may be entered, not listed
    const auto outcome = testing::failureKindAsUnprivileged([&] {
        try {
            readWorld(directory.file("closed"));
        } catch (const FolderFailure&) {
            return;
        }
        throw FileFailure(FileFailure::Kind::OtherFailure, "the folder was listed");
    });
    EXPECT_EQ(outcome, std::nullopt);
}

} // namespace
} // namespace tovren
