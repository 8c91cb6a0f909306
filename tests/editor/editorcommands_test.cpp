#include "editor/editorcommands.h"
#include "linkstore/linkfile.h"
#include "support/failurekind.h"
#include "support/temporarydirectory.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/stat.h>
#include <vector>

namespace tovren {
namespace {

using testing::failureKindOf;
using testing::readBytes;
using testing::writeBytes;
using Kind = FileFailure::Kind;

// Stands in for the window: holds the five fields and records every call from a command.
class FakeView : public EditorView {
public:
    std::map<EditorField, std::string> fields{{EditorField::mapname, ""},
                                              {EditorField::Up, ""},
                                              {EditorField::Down, ""},
                                              {EditorField::Left1, ""},
                                              {EditorField::Right, ""}};
    std::vector<std::string> warnings;
    std::vector<EditorField> changedFields;
    int unloads = 0;
    std::function<void()> onUnload;

    std::string fieldText(EditorField field) const override { return fields.at(field); }
    void setFieldText(EditorField field, const std::string& text) override {
        ASSERT_NE(field, EditorField::mapname) << "a command replaced the map name";
        fields[field] = text;
        changedFields.push_back(field);
    }
    void showWarning(const std::string& message) override { warnings.push_back(message); }
    void unloadWindow() override {
        ++unloads;
        if (onUnload) {
            onUnload();
        }
    }

    void fill(const std::string& mapName, const LinkRecord& record) {
        fields[EditorField::mapname] = mapName;
        fields[EditorField::Up] = record.up;
        fields[EditorField::Down] = record.down;
        fields[EditorField::Left1] = record.left;
        fields[EditorField::Right] = record.right;
    }
    LinkRecord neighbours() const {
        return {fields.at(EditorField::Up), fields.at(EditorField::Down),
                fields.at(EditorField::Left1), fields.at(EditorField::Right)};
    }
};

class EditorCommands : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;
    FakeView view;

    Kind failureOf(void (*command)(EditorView&, const std::string&)) {
        const auto kind = failureKindOf([&] { command(view, directory.path()); });
        EXPECT_TRUE(kind.has_value()) << "the command succeeded";
        return kind.value_or(Kind::OtherFailure);
    }
};

TEST_F(EditorCommands, shouldSaveTheFourFieldsAndThenCloseTheWindowOnDone) {
    view.fill("map1", {"map0", "map2", "", "map4"});
    std::string bytesAtUnload;
    view.onUnload = [&] {
        bytesAtUnload = readBytes(directory.file("map1.link"));
    };
    runDoneCommand(view, directory.path());
    EXPECT_EQ(view.unloads, 1);
    EXPECT_EQ(bytesAtUnload, "map0\r\nmap2\r\n\r\nmap4\r\n");
    EXPECT_TRUE(view.warnings.empty());
}

TEST_F(EditorCommands, shouldSaveEightBytesForFourEmptyFieldsOnDone) {
    view.fill("map1", {});
    runDoneCommand(view, directory.path());
    EXPECT_EQ(readBytes(directory.file("map1.link")), "\r\n\r\n\r\n\r\n");
}

TEST_F(EditorCommands, shouldSaveAnEmptyMapNameAsDotLinkOnDone) {
    view.fill("", {"a", "b", "c", "d"});
    runDoneCommand(view, directory.path());
    EXPECT_EQ(readBytes(directory.file(".link")), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(view.unloads, 1);
}

TEST_F(EditorCommands, shouldKeepTheWindowOpenWhenDoneFails) {
    view.fill("nowhere/map1", {"a", "b", "c", "d"});
    EXPECT_EQ(failureOf(runDoneCommand), Kind::PathNotFound);
    EXPECT_EQ(view.unloads, 0);
    EXPECT_EQ(view.neighbours(), (LinkRecord{"a", "b", "c", "d"}));
}

TEST_F(EditorCommands, shouldFillTheNeighbourFieldsInLineOrderOnLoad) {
    writeBytes(directory.file("map1.link"), "map0\r\nmap2\r\nmap3\r\nmap4\r\n");
    view.fill("map1", {"x", "x", "x", "x"});
    runLoadCommand(view, directory.path());
    EXPECT_EQ(view.neighbours(), (LinkRecord{"map0", "map2", "map3", "map4"}));
    EXPECT_EQ(view.fields[EditorField::mapname], "map1");
    EXPECT_TRUE(view.warnings.empty());
    EXPECT_EQ(view.unloads, 0);
}

TEST_F(EditorCommands, shouldLoadEmptyTextsFromAFileOfFourEmptyLines) {
    view.fill("map1", {});
    runDoneCommand(view, directory.path());
    FakeView nextRun;
    nextRun.fill("map1", {"stale", "stale", "stale", "stale"});
    runLoadCommand(nextRun, directory.path());
    EXPECT_EQ(nextRun.neighbours(), LinkRecord{});
}

TEST_F(EditorCommands, shouldPutBackWhatDoneSavedOnLoad) {
    const LinkRecord record{"Köln", " ", "", "\u20AC"};
    view.fill("Kärnten", record);
    runDoneCommand(view, directory.path());
    FakeView nextRun;
    nextRun.fill("Kärnten", {});
    runLoadCommand(nextRun, directory.path());
    EXPECT_EQ(nextRun.neighbours(), record);
}

TEST_F(EditorCommands, shouldWarnOnceAndChangeNothingWhenLoadHasNoMapName) {
    writeBytes(directory.file(".link"), "a\r\nb\r\nc\r\nd\r\n"); // must not be read
    view.fill("", {"keep1", "keep2", "keep3", "keep4"});
    runLoadCommand(view, directory.path());
    EXPECT_EQ(view.warnings, std::vector<std::string>{"Please enter a mapname!"});
    EXPECT_TRUE(view.changedFields.empty());
    EXPECT_EQ(view.neighbours(), (LinkRecord{"keep1", "keep2", "keep3", "keep4"}));
}

TEST_F(EditorCommands, shouldLookUpABlankMapNameAsItIsOnLoad) {
    view.fill(" ", {});
    EXPECT_EQ(failureOf(runLoadCommand), Kind::FileNotFound);
    EXPECT_TRUE(view.warnings.empty());
    writeBytes(directory.file(" .link"), "a\r\nb\r\nc\r\nd\r\n");
    runLoadCommand(view, directory.path());
    EXPECT_EQ(view.neighbours(), (LinkRecord{"a", "b", "c", "d"}));
}

TEST_F(EditorCommands, shouldChangeNoFieldWhenLoadFails) {
    const LinkRecord typed{"keep1", "keep2", "keep3", "keep4"};
    view.fill("map1", typed);
    writeBytes(directory.file("map1.link"), "a\r\nb\r\n");
    EXPECT_EQ(failureOf(runLoadCommand), Kind::InputPastEndOfFile);
    std::filesystem::create_directory(directory.file("folder.link"));
    view.fields[EditorField::mapname] = "folder";
    EXPECT_EQ(failureOf(runLoadCommand), Kind::AccessDenied);
    EXPECT_TRUE(view.changedFields.empty());
    EXPECT_EQ(view.neighbours(), typed);
}

TEST_F(EditorCommands, shouldUseTheProgramsOwnDirectoryByDefault) {
    const std::string name =
        "tovren-command-test-" + std::to_string(std::random_device()()); // parallel runs differ
    const std::string path = linkFilePath(programDirectory(), name);
    view.fill(name, {"a", "b", "c", "d"});
    runDoneCommand(view);
    EXPECT_EQ(readBytes(path), "a\r\nb\r\nc\r\nd\r\n");
    writeBytes(path, "e\r\nf\r\ng\r\nh\r\n");
    FakeView nextRun;
    nextRun.fill(name, {});
    runLoadCommand(nextRun);
    EXPECT_TRUE(std::filesystem::remove(path)) << "nothing was saved at " << path;
    EXPECT_EQ(nextRun.neighbours(), (LinkRecord{"e", "f", "g", "h"}));
}

} // namespace
} // namespace tovren
