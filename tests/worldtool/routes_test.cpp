// The editor's interface fed requests without a socket: who is refused, what each route answers
// and with which headers, a save's statuses and JSON, and a map's rename and removal.
#include "linkstore/linkfile.h"
#include "support/heldfile.h"
#include "support/temporarydirectory.h"
#include "worldtool/edit/http/responses.h"
#include "worldtool/edit/http/routes.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace tovren {
namespace {

using json = nlohmann::json;
using testing::readBytes;
using testing::writeBytes;

class EditorInterface : public ::testing::Test {
protected:
    testing::TemporaryDirectory directory;
    const std::string token = std::string(32, '7');
    std::optional<LiveWorld> world;
    std::optional<EditorRoutes> routes;

    void SetUp() override {
        saveLinkFile(path("map1"), {"", "", "", "map2"});
        saveLinkFile(path("map2"), {"", "", "map1", ""});
        world.emplace(directory.path(), LayoutRule::ByDirection);
        routes.emplace(*world, Guard(8421, token));
    }

    std::string path(const std::string& map) const { return linkFilePath(directory.path(), map); }

    // A request as the page sends it: the token in the query, the server's own host.
    static Request asked(http::verb method, const std::string& target, std::string body = {}) {
        Request request{method, target, 11};
        request.set(http::field::host, "127.0.0.1:8421");
        if (!body.empty()) {
            request.set(http::field::content_type, "application/json");
            request.body() = std::move(body);
            request.prepare_payload();
        }
        return request;
    }
    Request get(const std::string& path) const {
        return asked(http::verb::get, path + "?token=" + token);
    }
    Request post(const json& body) const {
        return asked(http::verb::post, "/api/save?token=" + token, body.dump());
    }
    static json save(const std::string& map, const json& expect, const json& links) {
        return {{"saves", {{{"map", map}, {"expect", expect}, {"links", links}}}}};
    }
    static json record(const std::string& up = "", const std::string& down = "",
                       const std::string& left = "", const std::string& right = "") {
        return {{"up", up}, {"down", down}, {"left", left}, {"right", right}};
    }

    // The status and JSON body of the answer, each answer checked for the headers of all.
    std::pair<unsigned, json> ask(const Request& request) {
        const Answer answer = routes->respond(request);
        const Response& response = answer.response;
        EXPECT_EQ(response[http::field::cache_control], "no-store");
        EXPECT_EQ(response["X-Content-Type-Options"], "nosniff");
        EXPECT_EQ(response["Referrer-Policy"], "no-referrer");
        return {response.result_int(), json::parse(response.body(), nullptr, false)};
    }
};

TEST_F(EditorInterface, shouldRefuseEveryoneButThePersonAtThisMachine) {
    const auto with = [&](auto change) {
        Request request = post({{"saves", json::array()}});
        change(request);
        return request;
    };
    const std::vector<std::pair<std::string, Request>> refused = {
        {"no token", asked(http::verb::get, "/api/world")},
        {"a wrong token", get("/api/world?token=" + std::string(32, '0') + "&x=")},
        {"a token too short", asked(http::verb::get, "/api/world?token=" + token.substr(1))},
        {"another host", with([](Request& r) { r.set(http::field::host, "evil.example"); })},
        {"a rebound name", with([](Request& r) { r.set(http::field::host, "evil.example:8421"); })},
        {"another port", with([](Request& r) { r.set(http::field::host, "127.0.0.1:8422"); })},
        {"another site",
         with([](Request& r) { r.set(http::field::origin, "http://evil.example"); })},
    };
    for (const auto& [what, request] : refused) {
        const Answer answer = routes->respond(request);
        EXPECT_EQ(answer.response.result(), http::status::forbidden) << what;
        EXPECT_FALSE(answer.accepted) << what;
        EXPECT_TRUE(json::parse(answer.response.body())["error"].get<std::string>().ends_with("."));
    }
    // The token as a header, the other name of the host, and the page's own origin do.
    Request byHeader = asked(http::verb::get, "/api/world");
    byHeader.set("Tovren-Token", token);
    byHeader.set(http::field::host, "localhost:8421");
    byHeader.set(http::field::origin, "http://127.0.0.1:8421");
    EXPECT_EQ(ask(byHeader).first, 200U);
    EXPECT_TRUE(routes->respond(byHeader).accepted);
}

TEST_F(EditorInterface, shouldRefuseWhatNoRouteTakesWithASentence) {
    const auto with = [&](http::field field, const char* value) {
        Request request = post(save("map1", record(), record()));
        request.insert(field, value);
        return request;
    };
    Request wrongType = post(save("map1", record(), record()));
    wrongType.set(http::field::content_type, "application/jsonx");
    const std::vector<std::tuple<std::string, Request, unsigned>> refused = {
        {"an unknown path", get("/etc/passwd"), 404},
        {"a wrong method", asked(http::verb::post, "/api/world?token=" + token), 405},
        {"another wrong method", get("/api/save"), 405},
        {"not JSON at all", wrongType, 415},
        {"two hosts", with(http::field::host, "127.0.0.1:8421"), 400},
        {"two lengths", with(http::field::content_length, "43"), 400},
        {"a length and a transfer encoding", with(http::field::transfer_encoding, "gzip"), 400},
        {"not JSON", asked(http::verb::post, "/api/save?token=" + token, "{saves"), 400},
        {"a member missing", post({{"saves", {{{"map", "map1"}, {"links", record()}}}}}), 400},
        {"a removal of nothing", post(save("map1", nullptr, nullptr)), 400},
        {"a carriage return", post(save("map1", record("", "", "", "map2"), record("a\rb"))), 400},
        {"no such map", post(save("map9", record(), record())), 404},
    };
    for (const auto& [what, request, status] : refused) {
        const auto [answered, body] = ask(request);
        EXPECT_EQ(answered, status) << what;
        EXPECT_TRUE(body["error"].get<std::string>().ends_with(".")) << what;
    }
    EXPECT_EQ(routes->respond(get("/api/save")).response[http::field::allow], "POST");
    EXPECT_EQ(readBytes(path("map1")), "\r\n\r\n\r\nmap2\r\n");
    EXPECT_FALSE(std::filesystem::exists(path("map9")));
}

TEST_F(EditorInterface, shouldAnswerARequestThatIsNotHttpAsItReadsItWithASentence) {
    const auto statusOf = [](const std::string& head) -> unsigned {
        RequestParser parser;
        limitRequest(parser);
        boost::system::error_code error;
        parser.put(boost::asio::buffer(head), error);
        const std::optional<Response> answer = unreadableAnswer(error);
        return answer ? answer->result_int() : 0U;
    };
    const std::string start = "POST /api/save HTTP/1.1\r\nHost: 127.0.0.1:8421\r\n";
    EXPECT_EQ(statusOf(start + "Content-Length: -1\r\n\r\n"), 400U);
    EXPECT_EQ(statusOf(start + "Content-Length: 2\r\nContent-Length: 3\r\n\r\n"), 400U);
    EXPECT_EQ(statusOf(start + "Transfer-Encoding: chunked\r\nContent-Length: 2\r\n\r\n"), 400U);
    EXPECT_EQ(statusOf(start + "Content-Length: 2000000\r\n\r\n"), 413U);
    EXPECT_EQ(statusOf(start + "X: " + std::string(20000, 'x') + "\r\n\r\n"), 431U);
    EXPECT_FALSE(unreadableAnswer(http::error::end_of_stream)); // gone: only closed
}

TEST_F(EditorInterface, shouldServeThePageTheWorldItsPictureAndItsEvents) {
    const auto [status, document] = ask(get("/api/world"));
    EXPECT_EQ(status, 200U);
    EXPECT_EQ(document["maps"][1]["left"], "map1");
    EXPECT_EQ(document["version"], world->version());
    const Answer picture = routes->respond(get("/api/picture"));
    EXPECT_TRUE(picture.response.body().starts_with("<?xml"));
    EXPECT_EQ(picture.response["Tovren-Version"], std::to_string(world->version()));
    const Answer page = routes->respond(asked(http::verb::get, "/")); // it needs no token
    EXPECT_EQ(page.response.result(), http::status::ok);
    EXPECT_EQ(page.response.body().find(token), std::string::npos); // nor holds it
    const std::string policy(page.response["Content-Security-Policy"]);
    EXPECT_TRUE(policy.starts_with("default-src 'none'; script-src 'nonce-")) << policy;
    EXPECT_NE(policy.find("; style-src 'nonce-"), std::string::npos) << policy;
    EXPECT_EQ(policy.find("unsafe"), std::string::npos) << policy;
    EXPECT_NE(routes->respond(get("/")).response["Content-Security-Policy"], policy); // a new one
    EXPECT_EQ(page.response["X-Frame-Options"], "DENY");
    // The stream's head is made as every other answer's.
    const Answer events = routes->respond(get("/api/events"));
    ASSERT_TRUE(events.events && events.accepted);
    EXPECT_TRUE(events.events->starts_with("HTTP/1.1 200 OK\r\n"));
    for (const char* header : {"Content-Type: text/event-stream", "Cache-Control: no-store",
                               "X-Content-Type-Options: nosniff", "Referrer-Policy: no-referrer"}) {
        EXPECT_NE(events.events->find(header), std::string::npos) << header;
    }
    EXPECT_TRUE(events.events->ends_with(
        "\r\n\r\nevent: world\ndata: {\"version\": " + std::to_string(world->version()) + "}\n\n"));
}

TEST_F(EditorInterface, shouldSaveOnlyWhenEveryExpectationHoldsAndTellWhatBecameOfEachMap) {
    const std::uint64_t before = world->version();
    json both = save("map1", record("", "", "", "map2"), record("up0", "", "", "map2"));
    both["saves"].push_back({{"map", "map2"}, {"expect", record()}, {"links", record()}});
    auto [status, answer] = ask(post(both));
    EXPECT_EQ(status, 409U);
    EXPECT_EQ(answer["error"], "The link file of map2 changed since the page read it; nothing was "
                               "saved.");
    EXPECT_EQ(answer["conflicts"], json::parse(R"([{"map": "map2", "current":
        {"up": "", "down": "", "left": "map1", "right": ""}}])"));
    EXPECT_EQ(readBytes(path("map1")), "\r\n\r\n\r\nmap2\r\n");

    both["saves"][1]["expect"] = record("", "", "map1");
    const testing::HeldFile held(path("map2")); // as another program's save holds it
    std::tie(status, answer) = ask(post(both));
    EXPECT_EQ(status, 207U);
    EXPECT_EQ(answer["results"][0], json::parse(R"({"map": "map1", "saved": true})"));
    EXPECT_EQ(answer["results"][1]["failure"]["kind"], "AccessDenied");
    EXPECT_TRUE(
        answer["error"].get<std::string>().starts_with("map2 was not saved: Access denied"));
    EXPECT_GT(answer["version"], before);
    EXPECT_EQ(readBytes(path("map1")), "up0\r\n\r\n\r\nmap2\r\n");
    // A save that changes nothing is no news.
    const std::uint64_t saved = world->version();
    const json same = save("map1", record("up0", "", "", "map2"), record("up0", "", "", "map2"));
    EXPECT_EQ(ask(post(same)).second["version"], saved);
    world->reread({"map1"});
    EXPECT_EQ(world->version(), saved);
}

TEST_F(EditorInterface, shouldGiveAnUnresolvedMergesSidesAndResolveItOverTheLinesAsLoaded) {
    const std::string merged = "<<<<<<< ours\r\nnorth\r\n=======\r\nsouth\r\n>>>>>>> theirs\r\n"
                               "\r\nmap1\r\n\r\n";
    writeBytes(path("map2"), merged);
    world->reread({"map2"});
    json maps = ask(get("/api/world")).second["maps"];
    EXPECT_EQ(maps[0]["merge"], nullptr);
    EXPECT_EQ(maps[1]["up"], nullptr);
    const json merge = maps[1]["merge"];
    EXPECT_EQ(merge, (json{{"loaded", record("<<<<<<< ours", "north", "=======", "south")},
                           {"ours", record("north", "", "map1")},
                           {"theirs", record("south", "", "map1")}}));
    // Saved as chosen, over the four lines the store loads; what lies past them stays.
    EXPECT_EQ(ask(post(save("map2", merge["loaded"], merge["theirs"]))).first, 200U);
    const std::string saved = "south\r\n\r\nmap1\r\n\r\n";
    EXPECT_EQ(readBytes(path("map2")), saved + merged.substr(saved.size()));
    world->rereadAll();
    const json document = ask(get("/api/world")).second;
    EXPECT_EQ(document["maps"][1]["merge"], nullptr);
    EXPECT_EQ(document["maps"][1]["up"], "south");
    for (const json& finding : document["findings"]) {
        EXPECT_NE(finding["kind"], "conflict");
    }
    // Put back, as undoing the save does, it is the same merge left unresolved at once.
    EXPECT_EQ(ask(post(save("map2", merge["theirs"], merge["loaded"]))).first, 200U);
    EXPECT_EQ(readBytes(path("map2")), merged);
    EXPECT_EQ(ask(get("/api/world")).second["maps"][1]["merge"], merge);
}

TEST_F(EditorInterface, shouldMakeAndTakeAwayANewMapAndRefuseNamesThatAreNotPlain) {
    EXPECT_EQ(ask(post(save("cave", nullptr, record()))).first, 200U);
    EXPECT_EQ(ask(post(save("cave", record("x"), nullptr))).first, 409U); // only as it was made
    const auto [status, answer] = ask(post(save("cave", record(), nullptr)));
    EXPECT_EQ(answer["results"],
              json::parse(R"([{"map": "cave", "saved": true, "removed": true}])"));
    EXPECT_EQ(ask(post(save(std::string(250, 'a'), nullptr, record()))).first, 200U);
    std::vector<std::string> refused = {"",          ".",           "..",    "a/b",
                                        "tab\there", "line\nbreak", " lead", "trail\u00A0",
                                        "a\u200Bb",  "\u202Eevil"};
    refused.insert(refused.end(), {std::string("nul\0x", 5), std::string(251, 'a')});
#ifdef _WIN32
    refused.insert(refused.end(), {"a\\b", "c:x", "CON", "lpt1.txt", "end.", "what?"});
#endif
    for (const std::string& name : refused) {
        EXPECT_EQ(ask(post(save(name, nullptr, record()))).first, 400U) << name;
    }
}

TEST_F(EditorInterface, shouldWriteNoFileOutsideItsFolderAndTakeAwayOnlyWhatItMakes) {
    testing::TemporaryDirectory elsewhere; // beside the folder
    const std::string victim = linkFilePath(elsewhere.path(), "victim");
    const std::string outside =
        "../" + std::filesystem::u8path(elsewhere.path()).filename().string() + "/victim";
    std::filesystem::create_directory(directory.file("sub"));
    saveLinkFile(victim, {"v", "", "", ""});
    saveLinkFile(directory.file("sub/x.link"), {});
    saveLinkFile(path("map1"), {outside, "sub/x", "", "map2"});
    std::vector<json> refused = {save(outside, record("v"), record("x")),
                                 save(outside, record("v"), nullptr),
                                 save("sub/x", record(), nullptr)};
#ifndef _WIN32
    ::symlink(victim.c_str(), path("linked").c_str()); // a file of the folder that leads out of it
    ::symlink(linkFilePath(elsewhere.path(), "made").c_str(), path("new").c_str()); // to nothing
    refused.insert(refused.end(),
                   {save("linked", record("v"), record("x")), save("linked", record("v"), nullptr),
                    save("new", nullptr, record())});
#endif
    world.emplace(directory.path(), LayoutRule::ByDirection);
    routes.emplace(*world, Guard(8421, token));
    const json readOnly = ask(get("/api/world")).second["readOnly"];
    ASSERT_FALSE(readOnly.empty());
    EXPECT_EQ(readOnly[0]["map"], outside); // read, and shown as read only
    EXPECT_EQ(readOnly.back()["why"], "The map " + readOnly.back()["map"].get<std::string>() +
                                          " lies outside the folder that this editor edits: it "
                                          "is read, never written.");
    for (const json& change : refused) {
        const auto [status, answer] = ask(post(change));
        EXPECT_EQ(status, 403U) << change;
        EXPECT_TRUE(answer["error"].get<std::string>().ends_with(".")) << change;
    }
    EXPECT_EQ(readBytes(victim), "v\r\n\r\n\r\n\r\n");
    // Nor does a rename or removal: the file outside leads to map1, and it would be saved.
    saveLinkFile(victim,
                 {"../" + std::filesystem::u8path(directory.path()).filename().string() + "/map1",
                  "", "", ""});
    world->rereadAll();
    for (const json& change : {json{{"map", "map1"}, {"to", "forest"}, {"expect", nullptr}},
                               json{{"map", "map1"}, {"expect", nullptr}}}) {
        const std::string route = change.contains("to") ? "/api/rename" : "/api/remove";
        const auto [status, answer] =
            ask(asked(http::verb::post, route + "?token=" + token, change.dump()));
        EXPECT_EQ(status, 403U) << answer;
    }
    EXPECT_TRUE(std::filesystem::exists(path("map1")));
    EXPECT_EQ(readBytes(victim).substr(0, 3), "../");
    saveLinkFile(victim, {"v", "", "", ""});
    EXPECT_FALSE(std::filesystem::exists(linkFilePath(elsewhere.path(), "made")));
    EXPECT_EQ(ask(post(save("sub/x", record(), record("y")))).first, 200U); // a subfolder's is
    EXPECT_EQ(readBytes(directory.file("sub/x.link")), "y\r\n\r\n\r\n\r\n");
    const std::uint64_t saved = world->version(); // and its news is no news
    world->outsideChanged(directory.file("sub"), {"x"});
    EXPECT_EQ(world->version(), saved);
}

TEST_F(EditorInterface, shouldRenameAndRemoveAMapAcrossTheWorldOnlyAsThePageSawIt) {
    const auto change = [&](const std::string& path, json body) {
        return ask(asked(http::verb::post, path + "?token=" + token, body.dump()));
    };
    // Asked with no expectation, the plan, and nothing written.
    auto [status, answer] =
        change("/api/rename", {{"map", "map1"}, {"to", "forest"}, {"expect", nullptr}});
    EXPECT_EQ(status, 200U);
    EXPECT_EQ(answer["done"], false);
    EXPECT_EQ(answer["plan"], json::parse(R"({"map": "map1", "to": "forest",
        "files": [{"from": "map1.link", "to": "forest.link"}],
        "saves": [{"map": "map2", "expect": {"up": "", "down": "", "left": "map1", "right": ""},
                   "links": {"up": "", "down": "", "left": "forest", "right": ""}}],
        "expect": {"map1": {"up": "", "down": "", "left": "", "right": "map2"},
                   "map2": {"up": "", "down": "", "left": "map1", "right": ""}}})"));
    const json expect = answer["plan"]["expect"];
    json other = expect;
    other["map2"]["up"] = "elsewhere";
    std::tie(status, answer) =
        change("/api/rename", {{"map", "map1"}, {"to", "forest"}, {"expect", other}});
    EXPECT_EQ(status, 409U);
    EXPECT_EQ(answer["conflicts"][0]["map"], "map2");
    EXPECT_FALSE(std::filesystem::exists(path("forest")));

    const std::uint64_t before = world->version();
    std::tie(status, answer) =
        change("/api/rename", {{"map", "map1"}, {"to", "forest"}, {"expect", expect}});
    EXPECT_EQ(status, 200U);
    EXPECT_EQ(answer["done"], true);
    EXPECT_GT(answer["version"], before);
    EXPECT_FALSE(std::filesystem::exists(path("map1")));
    EXPECT_EQ(readBytes(path("forest")), "\r\n\r\n\r\nmap2\r\n");
    EXPECT_EQ(readBytes(path("map2")), "\r\n\r\nforest\r\n\r\n");
    EXPECT_EQ(ask(get("/api/world")).second["maps"][0]["name"], "forest");

    // Undone by renaming back, as the page does; removed, only as the page saw it.
    const json renamed = {{"forest", record("", "", "", "map2")},
                          {"map2", record("", "", "forest")}};
    EXPECT_EQ(change("/api/rename", {{"map", "forest"}, {"to", "map1"}, {"expect", renamed}}).first,
              200U);
    EXPECT_EQ(readBytes(path("map2")), "\r\n\r\nmap1\r\n\r\n\r\n"); // saved over, as Done saves
    const json removal = {{"map2", record("", "", "map1")}, {"map1", record("", "", "", "map2")}};
    EXPECT_EQ(change("/api/remove", {{"map", "map2"}, {"expect", renamed}}).first, 409U);
    EXPECT_EQ(change("/api/remove", {{"map", "map2"}, {"expect", removal}}).first, 200U);
    EXPECT_FALSE(std::filesystem::exists(path("map2")));
    EXPECT_EQ(readBytes(path("map1")), "\r\n\r\n\r\n\r\np2\r\n");

    // What cannot be done, or not now, changes nothing.
    saveLinkFile(path("cave"), {"", "", "map1", ""});
    testing::writeBytes(directory.file(".tovren-world.journal"), "tovren-world change 1\nrena");
    const std::vector<std::tuple<std::string, json, unsigned>> refused = {
        {"/api/rename", {{"map", "map9"}, {"to", "x"}, {"expect", nullptr}}, 404},
        {"/api/rename", {{"map", "map1"}, {"to", "a/b"}, {"expect", nullptr}}, 400},
        {"/api/rename", {{"map", "map1"}, {"expect", nullptr}}, 400},
        {"/api/remove", {{"map", "map1"}, {"expect", "map1"}}, 400},
        {"/api/remove", {{"map", "map1"}, {"expect", nullptr}}, 503}, // a change was cut short
    };
    for (const auto& [path, body, expected] : refused) {
        std::tie(status, answer) = change(path, body);
        EXPECT_EQ(status, expected) << body;
        EXPECT_TRUE(answer["error"].get<std::string>().ends_with(".")) << answer;
    }
    std::filesystem::remove(directory.file(".tovren-world.journal"));
    EXPECT_EQ(change("/api/rename", {{"map", "map1"}, {"to", "cave"}, {"expect", nullptr}}).first,
              400U);
    EXPECT_EQ(readBytes(path("cave")), "\r\n\r\nmap1\r\n\r\n");
}

} // namespace
} // namespace tovren
