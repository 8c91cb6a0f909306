#include "worldtool/edit/http/saverequest.h"

#include "linkstore/hostcodepage.h"
#include "world/direction.h"

#include <nlohmann/json.hpp>
#include <set>

namespace tovren {

namespace {

using json = nlohmann::json;

// Thrown while reading a request: the sentence that tells what is wrong with it.
struct Refusal {
    std::string sentence;
};

const json& member(const json& object, const char* name, const std::string& where) {
    const auto found = object.find(name);
    if (found == object.end()) {
        throw Refusal{where + " has no member \"" + name + "\"."};
    }
    return *found;
}

std::string textIn(const json& value, const std::string& what) {
    if (!value.is_string()) {
        throw Refusal{what + " must be a text."};
    }
    return value.get<std::string>();
}

// What a link file's line cannot hold as it is.
void checkLine(const std::string& text, const std::string& what) {
    if (text.find('\r') != std::string::npos) {
        throw Refusal{what + " holds a carriage return, which would break the link file apart."};
    }
    if (fromHostCodePage(toHostCodePage(text)) != text) {
        throw Refusal{what + " holds a character that this computer's code page cannot hold, so "
                             "Tovren would read back something else."};
    }
}

LinkRecord recordIn(const json& value, const std::string& what) {
    if (!value.is_object()) {
        throw Refusal{what + " must be an object with \"up\", \"down\", \"left\" and \"right\"."};
    }
    LinkRecord record;
    for (const Direction direction : allDirections) {
        const std::string name(directionName(direction));
        const std::string line = what + "'s " + name;
        std::string& text = textOf(record, direction);
        text = textIn(member(value, name.c_str(), what), line);
        checkLine(text, line);
    }
    return record;
}

// A map's name or new name, which a link file's line holds as it is.
std::string nameIn(const json& object, const char* name, const std::string& what) {
    std::string text = textIn(member(object, name, "The request"), what);
    checkLine(text, what);
    return text;
}

} // namespace

std::variant<ChangeRequest, std::string> parseChangeRequest(std::string_view body, bool renaming) {
    const json document = json::parse(body, nullptr, false);
    if (document.is_discarded()) {
        return std::string("The request is not JSON.");
    }
    try {
        if (!document.is_object()) {
            throw Refusal{
                std::string("The request must be a JSON object with the members \"map\", ") +
                (renaming ? "\"to\" " : "") + "and \"expect\"."};
        }
        ChangeRequest request;
        request.map = nameIn(document, "map", "\"map\"");
        if (renaming) {
            request.to = nameIn(document, "to", "\"to\"");
        }
        const json& expect = member(document, "expect", "The request");
        if (!expect.is_null()) {
            if (!expect.is_object()) {
                throw Refusal{"\"expect\" must be null, or the records of the maps by name."};
            }
            request.expect.emplace();
            for (const auto& [map, record] : expect.items()) {
                request.expect->emplace(map,
                                        recordIn(record, "The map " + map + "'s expected record"));
            }
        }
        return request;
    } catch (const Refusal& refusal) {
        return refusal.sentence;
    }
}

std::variant<SaveRequest, std::string> parseSaveRequest(std::string_view body) {
    const json document = json::parse(body, nullptr, false);
    if (document.is_discarded()) {
        return std::string("The request is not JSON.");
    }
    try {
        if (!document.is_object()) {
            throw Refusal{"The request must be a JSON object with a member \"saves\"."};
        }
        const json& saves = member(document, "saves", "The request");
        if (!saves.is_array()) {
            throw Refusal{"\"saves\" must be a list of maps to save."};
        }
        SaveRequest request;
        std::set<std::string> named;
        for (std::size_t at = 0; at < saves.size(); ++at) {
            const std::string where = "Save " + std::to_string(at + 1);
            const json& save = saves[at];
            if (!save.is_object()) {
                throw Refusal{where + " must be an object with \"map\", \"expect\" and \"links\"."};
            }
            MapSave one;
            one.map = textIn(member(save, "map", where), where + "'s \"map\"");
            const std::string what = "The map " + one.map;
            if (!named.insert(one.map).second) {
                throw Refusal{what + " is saved twice in one request."};
            }
            const json& expect = member(save, "expect", where);
            if (!expect.is_null()) {
                one.expect = recordIn(expect, what + "'s expected record");
            }
            const json& links = member(save, "links", where);
            if (!links.is_null()) {
                one.links = recordIn(links, what);
            } else if (!one.expect) {
                throw Refusal{what + " is neither there nor to be made: a removal needs what "
                                     "its file holds."};
            }
            request.saves.push_back(std::move(one));
        }
        return request;
    } catch (const Refusal& refusal) {
        return refusal.sentence;
    }
}

} // namespace tovren
