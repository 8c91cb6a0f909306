#include "worldtool/edit/http/saveanswer.h"

#include "world/hostfolder.h"
#include "worldtool/edit/http/responses.h"
#include "worldtool/report/jsontext.h"

#include <nlohmann/json.hpp>

namespace tovren {

namespace {

using json = nlohmann::ordered_json;

// "A", "A and B", "A, B and C".
std::string listed(const std::vector<SaveConflict>& conflicts) {
    std::string names;
    for (std::size_t at = 0; at < conflicts.size(); ++at) {
        names += at == 0 ? "" : (at + 1 == conflicts.size() ? " and " : ", ");
        names += conflicts[at].map;
    }
    return names;
}

Response conflictAnswer(const Request& request, const std::vector<SaveConflict>& conflicts) {
    json listing = json::array();
    for (const SaveConflict& conflict : conflicts) {
        json one{{"map", conflict.map}, {"current", recordJson(conflict.current)}};
        if (conflict.failure) {
            one["failure"] = conflict.failure->description();
        }
        listing.push_back(std::move(one));
    }
    const std::string sentence =
        "The link file" + std::string(conflicts.size() == 1 ? " of " : "s of ") +
        listed(conflicts) + " changed since the page read it; nothing was saved.";
    return jsonAnswer(request, http::status::conflict,
                      jsonText(json{{"error", sentence}, {"conflicts", listing}}));
}

Response resultsAnswer(const Request& request, const EditorSave& saved) {
    json results = json::array();
    std::string failures;
    for (const SaveOutcome& outcome : saved.result.outcomes) {
        if (const std::optional<FileFailure>& failure = outcome.failure) {
            results.push_back(
                {{"map", outcome.map},
                 {"saved", false},
                 {"failure",
                  {{"kind", kindName(failure->kind())}, {"description", failure->description()}}}});
            failures += (failures.empty() ? "" : " ") + outcome.map +
                        " was not saved: " + failure->description() + ".";
            continue;
        }
        results.push_back({{"map", outcome.map}, {"saved", true}});
        if (outcome.removed) {
            results.back()["removed"] = true;
        }
    }
    json body{{"results", results}, {"version", saved.version}};
    if (!failures.empty()) {
        body["error"] = failures;
    }
    return jsonAnswer(request, failures.empty() ? http::status::ok : http::status::multi_status,
                      jsonText(body));
}

http::status statusOf(SaveRefusal::Reason reason) {
    switch (reason) {
    case SaveRefusal::Reason::NoSuchMap:
        return http::status::not_found;
    case SaveRefusal::Reason::NotWritable:
        return http::status::forbidden;
    case SaveRefusal::Reason::FolderGone:
        return http::status::conflict;
    case SaveRefusal::Reason::NotNow:
        return http::status::service_unavailable;
    case SaveRefusal::Reason::CutShort:
        return http::status::internal_server_error;
    case SaveRefusal::Reason::NotAPlainName:
    case SaveRefusal::Reason::CannotBeDone:
        break;
    }
    return http::status::bad_request;
}

json planJson(const EditorChange& change) {
    const WorldChange& plan = change.plan;
    json planned{{"map", shownName(plan.map)}};
    if (plan.kind == WorldChange::Kind::Rename) {
        planned["to"] = shownName(plan.newName);
    }
    json files = json::array();
    for (const WorldChange::FileRename& file : plan.files) {
        files.push_back({{"from", shownName(file.from)}, {"to", shownName(file.to)}});
    }
    json saves = json::array();
    for (const WorldChange::Edit& edit : plan.edits) {
        saves.push_back({{"map", edit.save.map},
                         {"expect", recordJson(edit.save.expect)},
                         {"links", recordJson(edit.save.links)}});
    }
    json expect = json::object();
    for (const auto& [map, record] : change.expect) {
        expect[map] = recordJson(record);
    }
    planned["files"] = std::move(files);
    planned["saves"] = std::move(saves);
    planned["expect"] = std::move(expect);
    return planned;
}

} // namespace

Response saveAnswer(const Request& request, const EditorSave& saved) {
    if (saved.refusal) {
        return refusal(request, statusOf(saved.refusal->reason), saved.refusal->sentence);
    }
    if (!saved.result.conflicts.empty()) {
        return conflictAnswer(request, saved.result.conflicts);
    }
    return resultsAnswer(request, saved);
}

} // namespace tovren

namespace tovren {

Response changeAnswer(const Request& request, const EditorChange& change) {
    if (change.refusal) {
        return refusal(request, statusOf(change.refusal->reason), change.refusal->sentence);
    }
    if (!change.conflicts.empty()) {
        return conflictAnswer(request, change.conflicts);
    }
    return jsonAnswer(
        request, http::status::ok,
        jsonText(
            json{{"plan", planJson(change)}, {"done", change.done}, {"version", change.version}}));
}

} // namespace tovren
