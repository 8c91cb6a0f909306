#include "worldtool/cli/editcommand.h"

#include "linkstore/linkfile.h"
#include "world/hostfolder.h"
#include "worldtool/cli/commands.h"
#include "worldtool/edit/server/editserver.h"
#include "worldtool/edit/session/liveworld.h"
#include "worldtool/edit/http/token.h"
#include "worldtool/cli/viewer.h"

#include <iostream>

namespace tovren {

int editWorld(const EditOptions& options) {
    LiveWorld world(options.folder.empty() ? programDirectory() : options.folder,
                    options.grid ? LayoutRule::Grid : LayoutRule::ByDirection);
    EditServer server(world, options.port, freshToken());
    const std::string url = server.url();
    std::cout << "Editing the world of " << shownName(world.folder()) << " at " << url << std::endl;
    if (options.openBrowser) {
        if (const std::optional<std::string> failure = openInBrowser(url)) {
            std::cerr << "tovren-world: " << *failure << "; open " << url
                      << " in your browser yourself" << std::endl;
        }
    }
    server.run();
    std::cout << "The editor has ended." << std::endl;
    return worldIsSound;
}

} // namespace tovren
