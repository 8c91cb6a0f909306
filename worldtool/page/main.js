// The editor's page: the picture of the world that `tovren-world draw` makes, as the server
// sends it, with what the page needs to act on it: choosing maps and links, the panel of a map's
// four fields, linking by dragging, cutting, mending, making maps, undo and redo, finding by
// name, panning and zooming, and the world kept live through the server's events. Each part is
// a module given its elements and the one store of state; this one finds the elements in
// page.html and puts the parts together.

import {Dragging} from "./dragging.js";
import {directions} from "./edits.js";
import {Findings} from "./findings.js";
import {listenToKeys} from "./keyboard.js";
import {MergeChoice} from "./mergechoice.js";
import {Panel} from "./panel.js";
import {Picture} from "./picture.js";
import {Saving} from "./saving.js";
import {Feed, Server, tokenOf} from "./server.js";
import {Question, showStatus} from "./status.js";
import {Store} from "./store.js";
import {Toolbar} from "./toolbar.js";
import {Viewport} from "./viewport.js";

function start(document) {
    const $ = (id) => document.getElementById(id);
    const byDirection = (make) => Object.fromEntries(directions.map((d) => [d, make(d)]));
    const area = {document, viewport: $("viewport"), stage: $("stage"), overlay: $("overlay")};

    const store = new Store();
    const server = new Server(tokenOf(window.location, window.history, window.sessionStorage));
    const feed = new Feed(server, store);
    const question = new Question({dialog: $("ask"), text: $("ask-text"), list: $("ask-list"),
                                   yes: $("ask-yes"), also: $("ask-also"), no: $("ask-no")});
    const saving = new Saving(server, store, feed, (text, options) => question.ask(text, options));
    showStatus($("status"), store);
    // The picture hears of a new world first: the others read it.
    const picture = new Picture(area.stage, store);
    const findings = new Findings({summary: $("summary"), list: $("findings")}, {store, saving});
    const merge = new MergeChoice({section: $("merge"), text: $("merge-text"), form: $("merge-form"),
                                   fields: $("merge-fields"), save: $("merge-save"),
                                   next: $("field-up")}, {store, saving, feed});
    const panel = new Panel({
        title: $("panel-title"), hint: $("panel-hint"), form: $("fields"), save: $("save"),
        revert: $("revert"), note: $("panel-note"),
        fields: byDirection((d) => $(`field-${d}`)),
        cuts: byDirection((d) => document.querySelector(`.cut[data-direction="${d}"]`)),
        conflict: {section: $("conflict"), text: $("conflict-text"), rows: $("conflict-rows"),
                   mine: $("conflict-mine"), theirs: $("conflict-theirs")},
        findings: {section: $("map-findings-section"), list: $("map-findings")},
        change: {form: $("rename"), to: $("rename-to"), remove: $("remove")},
    }, {store, saving, findings, merge});
    const view = new Viewport(area, picture, store);
    const dragging = new Dragging(area, {picture, view, store, saving, panel});
    new Toolbar({
        title: $("title"), search: $("search"), find: $("find"), found: $("found"),
        zoomIn: $("zoom-in"), zoomOut: $("zoom-out"), fit: $("fit"), undo: $("undo"),
        redo: $("redo"), newMap: $("new-map"), newName: $("new-name"),
    }, {store, view, saving, picture});
    listenToKeys(area, {store, picture, view, saving, panel, dragging, question});

    // For the tests and the benchmarks: when each version was shown, and first painted.
    store.on("shown", () => {
        const version = store.world.version;
        performance.mark(`tovren-shown-${version}`);
        window.tovrenShown = version;
        requestAnimationFrame(() => setTimeout(() => performance.mark(`tovren-painted-${version}`)));
    });
    performance.mark("tovren-start");
    feed.refresh();
    feed.listen();
}

start(document);
