#include "worldtool/edit/http/editorpage.h"

#include "worldtool/embeddedfiles.h"

namespace tovren {

namespace {

// d3-zoom and what it needs, each of which adds itself to the global d3, in the order they
// need each other.
constexpr std::string_view d3Modules[] = {"d3-dispatch.js", "d3-selection.js",   "d3-drag.js",
                                          "d3-color.js",    "d3-interpolate.js", "d3-ease.js",
                                          "d3-timer.js",    "d3-transition.js",  "d3-zoom.js"};

void replaceAll(std::string& text, std::string_view mark, std::string_view by) {
    for (std::size_t at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + by.size())) {
        text.replace(at, mark.size(), by);
    }
}

} // namespace

std::string editorPage(const std::string& nonce) {
    std::string page(embeddedFile("page.html"));
    // The scripts and styles go in last, so that nothing in them is taken for a mark.
    std::string style =
        std::string(embeddedFile("picture.css")) + std::string(embeddedFile("page.css"));
    std::string script;
    for (const std::string_view module : d3Modules) {
        script += embeddedFile(module);
        script += '\n';
    }
    script += embeddedFile("page.js");
    replaceAll(page, "{{nonce}}", nonce);
    const std::size_t styleAt = page.find("{{style}}");
    page.replace(styleAt, 9, style);
    const std::size_t scriptAt = page.find("{{script}}", styleAt + style.size());
    page.replace(scriptAt, 10, script);
    return page;
}

std::string editorPagePolicy(const std::string& nonce) {
    return "default-src 'none'; script-src 'nonce-" + nonce + "'; style-src 'nonce-" + nonce +
           "'; img-src 'self' data:; connect-src 'self'; "
           "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
}

} // namespace tovren
