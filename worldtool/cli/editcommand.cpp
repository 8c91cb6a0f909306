#include "worldtool/cli/editcommand.h"

#include "linkstore/linkfile.h"
#include "world/hostfolder.h"
#include "worldtool/cli/commands.h"
#include "worldtool/cli/passonpage.h"
#include "worldtool/cli/viewer.h"
#include "worldtool/edit/http/token.h"
#include "worldtool/edit/server/editserver.h"
#include "worldtool/edit/session/liveworld.h"

#include <iostream>
#include <optional>
#include <stdexcept>

namespace tovren {

int editWorld(const EditOptions& options) {
    LiveWorld world(options.folder.empty() ? programDirectory() : options.folder,
                    options.grid ? LayoutRule::Grid : LayoutRule::ByDirection);
    EditServer server(world, options.port, freshToken());
    const std::string url = server.url();
    std::cout << "Editing the world of " << shownName(world.folder()) << " at " << url << std::endl;
    std::optional<PassOnPage> page; // until the server ends
    if (options.openBrowser) {
        std::optional<std::string> failure;
        try {
            page.emplace(url);
            failure = openInBrowser(page->file());
        } catch (const std::runtime_error& cannot) {
            failure = cannot.what();
        }
        if (failure) {
            std::cerr << "tovren-world: " << *failure << "; open " << url
                      << " in your browser yourself" << std::endl;
        }
    }
    server.run();
    std::cout << "The editor has ended." << std::endl;
    return worldIsSound;
}

} // namespace tovren
