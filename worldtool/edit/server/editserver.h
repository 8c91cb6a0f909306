#pragma once

#include "worldtool/edit/session/liveworld.h"

#include <memory>
#include <string>

namespace tovren {

// The editor's server: the world of a folder over HTTP on 127.0.0.1, to the person at this
// machine only. What it answers is EditorRoutes' (edit/http/routes.h), who may ask the Guard's;
// this is the part with sockets, threads and the folder's news.
//
// Connections are served side by side, so a slow or idle one holds up none of the others.
// Changes of the folder's link files, and of those in other folders that texts lead into, are
// taken in, a few at a time, and told to the pages. It runs until it is told to end
// (EndSignals), or until no page has been open for a while (Pages); a request being answered, a
// save above all, always ends first.
class EditServer {
public:
    // Listens on 127.0.0.1, on the port given or one the system picks (0). Throws
    // std::runtime_error where it cannot.
    EditServer(LiveWorld& world, unsigned short port, std::string token);
    EditServer(const EditServer&) = delete;
    EditServer& operator=(const EditServer&) = delete;
    ~EditServer();

    // http://127.0.0.1:PORT/?token=T
    std::string url() const;

    // Serves until it ends, watching the folder for changes.
    void run();

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace tovren
