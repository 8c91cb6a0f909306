#pragma once

#include <string>

namespace tovren {

struct EditOptions {
    std::string folder;      // empty for the folder of this program
    unsigned short port = 0; // 0: one the system picks
    bool openBrowser = true;
    bool grid = false;
};

// tovren-world edit: serves the world of the folder to the editor's page in the browser, on
// 127.0.0.1, until the last page has gone or the server is told to end. Prints "Editing the
// world of FOLDER at URL" first, then opens URL in the desktop's browser. Throws FolderFailure.
int editWorld(const EditOptions& options);

} // namespace tovren
