#include "editor/editorcommands.h"

#include "linkstore/linkfile.h"

namespace tovren {

namespace {
constexpr const char* emptyNameWarning = "Please enter a mapname!";
}

void runDoneCommand(EditorView& view) {
    runDoneCommand(view, programDirectory());
}

void runLoadCommand(EditorView& view) {
    runLoadCommand(view, programDirectory());
}

void runDoneCommand(EditorView& view, const std::string& linkDirectory) {
    const std::string path = linkFilePath(linkDirectory, view.fieldText(EditorField::mapname));
    saveLinkFile(
        path, LinkRecord{view.fieldText(EditorField::Up), view.fieldText(EditorField::Down),
                         view.fieldText(EditorField::Left1), view.fieldText(EditorField::Right)});
    view.unloadWindow();
}

void runLoadCommand(EditorView& view, const std::string& linkDirectory) {
    const std::string mapName = view.fieldText(EditorField::mapname);
    if (mapName.empty()) { // only the empty string: a name of blanks is looked up as it is
        view.showWarning(emptyNameWarning);
        return;
    }
    const LinkRecord record = loadLinkFile(linkFilePath(linkDirectory, mapName));
    view.setFieldText(EditorField::Up, record.up);
    view.setFieldText(EditorField::Down, record.down);
    view.setFieldText(EditorField::Left1, record.left);
    view.setFieldText(EditorField::Right, record.right);
}

} // namespace tovren
