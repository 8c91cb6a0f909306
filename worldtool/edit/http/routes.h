#pragma once

#include "worldtool/edit/http/guard.h"
#include "worldtool/edit/http/message.h"
#include "worldtool/edit/session/liveworld.h"

#include <optional>
#include <string>
#include <string_view>

namespace tovren {

// An answer, and what the server makes of it besides sending it.
struct Answer {
    Response response;
    bool accepted = false; // the guard let the request through
    // The connection becomes a stream of events, which starts with this text (its head and
    // first event); the response is not sent.
    std::optional<std::string> events;
};

// The editor's interface over HTTP, without sockets: a request in, an answer out. Each request
// the guard lets through goes to the route of its path and method:
//   GET  /             the page, which holds no secret: it asks without the token too
//   GET  /api/world    the document of check --json, with "version"
//   GET  /api/picture  the picture of draw, its version in the header Tovren-Version
//   GET  /api/events   server-sent events: "world" {"version": N} at once and on every change
//   POST /api/save     a change to the world (saverequest.h, saveanswer.h)
//   POST /api/rename   a map renamed across the world, or its plan (the same)
//   POST /api/remove   a map removed across the world, or its plan (the same)
// Anything else is refused: 403 by the guard, 404 for no such path, 405 for another method.
// Safe to call from several threads at once.
class EditorRoutes {
public:
    EditorRoutes(LiveWorld& world, Guard guard);

    const Guard& guard() const { return guard_; }

    Answer respond(const Request& request);

    // Whether answering may wait for a file that another program holds: such a request is
    // answered apart from the others, so that it holds none of them up.
    bool waitsForFiles(const Request& request) const;

private:
    struct Route {
        std::string_view path;
        http::verb method;
        Answer (EditorRoutes::*handle)(const Request&);
        bool waitsForFiles;
        bool needsToken;
    };
    static const Route routes_[];

    LiveWorld& world_;
    Guard guard_;

    static const Route* routeOf(std::string_view path);

    Answer page(const Request& request);
    Answer worldDocument(const Request& request);
    Answer picture(const Request& request);
    Answer events(const Request& request);
    Answer save(const Request& request);
    Answer rename(const Request& request);
    Answer remove(const Request& request);
    Answer change(const Request& request, bool renaming);
};

} // namespace tovren
