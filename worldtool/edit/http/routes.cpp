#include "worldtool/edit/http/routes.h"

#include "world/hostfolder.h"
#include "worldtool/edit/http/editorpage.h"
#include "worldtool/edit/http/responses.h"
#include "worldtool/edit/http/saveanswer.h"
#include "worldtool/edit/http/saverequest.h"
#include "worldtool/edit/http/token.h"
#include "worldtool/picture/svgpicture.h"
#include "worldtool/report/jsontext.h"
#include "worldtool/report/report.h"

#include <boost/beast/core/string.hpp>
#include <sstream>

namespace tovren {

namespace {

Answer sending(Response response, bool accepted = false) {
    Answer answer;
    answer.response = std::move(response);
    answer.accepted = accepted;
    return answer;
}

// Whether a Content-Type names JSON: application/json, with parameters or without.
bool isJson(std::string_view type) {
    type = type.substr(0, type.find(';'));
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t')) {
        type.remove_suffix(1);
    }
    return boost::beast::iequals(boost::beast::string_view(type.data(), type.size()),
                                 "application/json");
}

std::string_view pathOf(const Request& request) {
    const std::string_view target = plain(request.target());
    return target.substr(0, target.find('?'));
}

} // namespace

const EditorRoutes::Route EditorRoutes::routes_[] = {
    {"/", http::verb::get, &EditorRoutes::page, false, false},
    {"/api/world", http::verb::get, &EditorRoutes::worldDocument, false, true},
    {"/api/picture", http::verb::get, &EditorRoutes::picture, false, true},
    {"/api/events", http::verb::get, &EditorRoutes::events, false, true},
    {"/api/save", http::verb::post, &EditorRoutes::save, true, true},
    {"/api/rename", http::verb::post, &EditorRoutes::rename, true, true},
    {"/api/remove", http::verb::post, &EditorRoutes::remove, true, true},
};

EditorRoutes::EditorRoutes(LiveWorld& world, Guard guard)
    : world_(world), guard_(std::move(guard)) {}

const EditorRoutes::Route* EditorRoutes::routeOf(std::string_view path) {
    for (const Route& route : routes_) {
        if (route.path == path) {
            return &route;
        }
    }
    return nullptr;
}

bool EditorRoutes::waitsForFiles(const Request& request) const {
    const Route* route = routeOf(pathOf(request));
    return route != nullptr && route->waitsForFiles && request.method() == route->method &&
           !whyMalformed(request) && !guard_.refusal(request);
}

Answer EditorRoutes::respond(const Request& request) {
    if (const std::optional<std::string> why = whyMalformed(request)) {
        return sending(refusal(request, http::status::bad_request, *why));
    }
    const std::string_view path = pathOf(request);
    const Route* route = routeOf(path);
    if (const std::optional<std::string> why =
            guard_.refusal(request, route == nullptr || route->needsToken)) {
        return sending(refusal(request, http::status::forbidden, *why));
    }
    if (route == nullptr) {
        return sending(refusal(request, http::status::not_found,
                               "There is nothing at " + std::string(path) + "."),
                       true);
    }
    if (request.method() != route->method) {
        const std::string method(plain(http::to_string(route->method)));
        Response refused = refusal(request, http::status::method_not_allowed,
                                   std::string(path) + " takes only " + method + ".");
        refused.set(http::field::allow, method);
        return sending(std::move(refused), true);
    }
    Answer answered = (this->*route->handle)(request);
    answered.accepted = true;
    return answered;
}

Answer EditorRoutes::page(const Request& request) {
    const std::string nonce = freshToken(); // a new one for every page sent
    Response page =
        answer(request, http::status::ok, "text/html; charset=utf-8", editorPage(nonce));
    page.set("Content-Security-Policy", editorPagePolicy(nonce));
    page.set("X-Frame-Options", "DENY");
    return sending(std::move(page));
}

Answer EditorRoutes::worldDocument(const Request& request) {
    std::ostringstream out;
    world_.withWorld([&](const ShownWorld& shown) {
        nlohmann::ordered_json readOnly = nlohmann::ordered_json::array();
        for (const auto& [map, why] : shown.readOnly) {
            readOnly.push_back({{"map", map}, {"why", why}});
        }
        JsonMembers more{{"version", std::to_string(shown.version)},
                         {"readOnly", jsonText(readOnly)}};
        if (shown.gone) {
            more.emplace_back("gone", jsonText(nlohmann::json(*shown.gone)));
        }
        writeJsonReport(shown.world, out, more);
    });
    Response document = jsonAnswer(request, http::status::ok, std::move(out).str());
    // Whether two names that differ only in letter case name one file here: a new map's name
    // that differs from a map's only so is then refused by the page.
    document.set("Tovren-Names", nameKey("a") == nameKey("A") ? "letter-case-aside" : "exact");
    return sending(std::move(document));
}

Answer EditorRoutes::picture(const Request& request) {
    std::ostringstream out;
    std::uint64_t shown = 0;
    world_.withWorld([&](const ShownWorld& world) {
        writeSvgPicture(world.world, out);
        shown = world.version;
    });
    Response picture =
        answer(request, http::status::ok, "image/svg+xml; charset=utf-8", std::move(out).str());
    picture.set("Tovren-Version", std::to_string(shown));
    return sending(std::move(picture));
}

Answer EditorRoutes::events(const Request&) {
    Answer stream;
    stream.events = eventStreamHead() + worldEvent(world_.version(), world_.whyGone());
    return stream;
}

Answer EditorRoutes::save(const Request& request) {
    if (!isJson(plain(request[http::field::content_type]))) {
        return sending(refusal(request, http::status::unsupported_media_type,
                               "A save is sent as application/json."));
    }
    std::variant<SaveRequest, std::string> parsed = parseSaveRequest(request.body());
    if (const std::string* why = std::get_if<std::string>(&parsed)) {
        return sending(refusal(request, http::status::bad_request, *why));
    }
    return sending(saveAnswer(request, world_.save(std::get<SaveRequest>(parsed).saves)));
}

Answer EditorRoutes::rename(const Request& request) {
    return change(request, true);
}

Answer EditorRoutes::remove(const Request& request) {
    return change(request, false);
}

Answer EditorRoutes::change(const Request& request, bool renaming) {
    if (!plain(request[http::field::content_type]).starts_with("application/json")) {
        return sending(refusal(request, http::status::unsupported_media_type,
                               "A change is sent as application/json."));
    }
    std::variant<ChangeRequest, std::string> parsed = parseChangeRequest(request.body(), renaming);
    if (const std::string* why = std::get_if<std::string>(&parsed)) {
        return sending(refusal(request, http::status::bad_request, *why));
    }
    return sending(changeAnswer(request, world_.change(std::get<ChangeRequest>(parsed))));
}

} // namespace tovren
