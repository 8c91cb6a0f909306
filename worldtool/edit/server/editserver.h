#pragma once

#include "worldtool/edit/session/liveworld.h"

#include <memory>
#include <string>

namespace tovren {

// The editor's server: the world of a folder over HTTP on 127.0.0.1, to the person at this
// machine only.
//
// GET / is the page; GET /api/world the document of check --json with "version"; GET
// /api/picture the picture of draw; GET /api/events a stream of server-sent events, an event
// "world" {"version": N} whenever the world on disk changes; POST /api/save saves maps.
//
// Every request must carry the secret token (?token=T or the header Tovren-Token), name the
// server as Host (127.0.0.1:PORT or localhost:PORT), and come from the server's own page where
// it names an Origin: else 403. Bodies over 1 MiB are refused (413), as are malformed requests
// (400), unknown paths (404) and wrong methods (405). Connections are served side by side, so a
// slow or idle one holds up none of the others, and each must send its request within 30 s.
//
// Runs until SIGINT or SIGTERM (on Windows, Ctrl+C or the console closing), or until no page
// has been open for 30 s (2 minutes before the first page comes). A request being answered, a
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
