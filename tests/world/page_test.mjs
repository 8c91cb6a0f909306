// The editor's page's modules that do not touch the page, under Node's own test runner: the
// edits and their inverses (a rename's and a removal's among them), the geometry of the picture,
// the picture's text taken apart, what the page says, the choice of sides of a merge left
// unresolved, and the store.
import assert from "node:assert/strict";
import test from "node:test";

import * as edits from "../../worldtool/page/edits.js";
import * as geometry from "../../worldtool/page/geometry.js";
import * as merge from "../../worldtool/page/merge.js";
import {PictureText} from "../../worldtool/page/picturetext.js";
import {Store} from "../../worldtool/page/store.js";
import * as words from "../../worldtool/page/words.js";

const record = (up, down, left, right) => ({up, down, left, right});
const box = (x, y) => ({x, y, width: 140, height: 56});

test("a link sets both fields and says what it replaces; a cut takes both ends of a two-way link", () => {
    const records = {a: record("", "", "", "x"), b: record("", "", "a", "c"), c: record("", "", "y", ""),
                     d: record("d", "d", "", "")};
    const of = (name) => records[name] || null;
    assert.deepEqual(edits.link(of, "c", "b", "up"), {
        saves: [{map: "b", expect: records.b, links: record("c", "", "a", "c")},
                {map: "c", expect: records.c, links: record("", "b", "y", "")}],
        replaced: [], stranded: [], cutting: null, label: "c linked above b."});
    assert.deepEqual(edits.link(of, "a", "b", "left").replaced, ["a leads right to x"]);
    assert.deepEqual(edits.link(of, "c", "a", "right").replaced, ["a leads right to x", "c leads left to y"]);
    // Replaced links whose far ends lead back would be left one-way: offered to be cut too, in
    // the one save, each map once.
    const ring = {hub: record("", "", "west", ""), west: record("", "", "", "hub"),
                  east: record("", "", "", "far"), far: record("", "", "east", "")};
    const ringOf = (name) => ring[name] || null;
    const replacing = edits.link(ringOf, "east", "hub", "left");
    assert.deepEqual(replacing.stranded, [{map: "west", direction: "right", to: "hub"},
                                          {map: "far", direction: "left", to: "east"}]);
    assert.deepEqual(replacing.saves.map((s) => s.map), ["hub", "east"]);
    assert.deepEqual(replacing.cutting.map((s) => [s.map, s.links]),
                     [["hub", record("", "", "east", "")], ["east", record("", "", "", "hub")],
                      ["west", record("", "", "", "")], ["far", record("", "", "", "")]]);
    ring.west.right = "elsewhere"; // leads on, not back: nothing is stranded
    assert.deepEqual(edits.link(ringOf, "east", "hub", "left").stranded.map((s) => s.map), ["far"]);
    assert.match(edits.link(of, "a", "gone", "up").refusal, /^gone's link file cannot be loaded/);
    const cut = (name, direction) => edits.cut(of, name, direction).saves.map((s) => [s.map, s.links]);
    assert.deepEqual(cut("a", "right"), [["a", record("", "", "", "")]]);
    assert.deepEqual(cut("b", "left"), [["b", record("", "", "", "c")]]);
    assert.deepEqual(cut("d", "up"), [["d", record("", "d", "", "")]]);
    records.a.right = "b";
    assert.deepEqual(cut("a", "right"), [["a", record("", "", "", "")], ["b", record("", "", "", "c")]]);
    assert.equal(edits.cut(of, "c", "up"), null);
});

test("an inverse undoes a new map by removing it; a field not changed is saved as read", () => {
    const made = edits.newMap("forest").saves;
    assert.deepEqual(edits.inverse(made), [{map: "forest", expect: record("", "", "", ""), links: null}]);
    const baseline = record("a\nb", "", "c", "");
    const values = {up: "a b", down: "new", left: "c", right: ""};
    assert.deepEqual(edits.typedRecord(baseline, values), record("a\nb", "new", "c", ""));
});

test("a rename is shown whole and undone by renaming back; a removal undone by making the map again", () => {
    const town = record("town", "", "", "x");
    const x = record("", "", "town", "");
    const rename = {map: "town", to: "forest", files: [{from: "town.link", to: "forest.link"}],
                    saves: [{map: "forest", expect: town, links: record("forest", "", "", "x")},
                            {map: "x", expect: x, links: record("", "", "forest", "")}],
                    expect: {town, x}};
    assert.deepEqual(words.changeLines(rename), ["town.link becomes forest.link",
        "forest leads up to forest instead of town", "x leads left to forest instead of town"]);
    const renamed = edits.changeHistory(rename, "Renamed town to forest.");
    assert.deepEqual(renamed.undo, {path: "api/rename", body: {map: "forest", to: "town", expect: {
        forest: record("forest", "", "", "x"), x: record("", "", "forest", "")}}});
    assert.deepEqual(renamed.redo, {path: "api/rename", body: {map: "town", to: "forest", expect: {town, x}}});
    // Its own fields unchanged: it is expected under its new name as it was.
    const alone = edits.changeHistory({...rename, saves: rename.saves.slice(1)}, "");
    assert.deepEqual(alone.undo.body.expect.forest, town);
    const removal = {map: "x", files: [], saves: [{map: "town", expect: town, links: record("town", "", "", "")}],
                     expect: {x, town}};
    assert.deepEqual(words.changeLines(removal), ["town no longer leads right to x", "x's link file is removed"]);
    const removed = edits.changeHistory(removal, "Removed x.");
    assert.deepEqual(removed.undo, {path: "api/save", body: {saves: [
        {map: "x", expect: null, links: x}, {map: "town", expect: record("town", "", "", ""), links: town}]}});
    assert.deepEqual(removed.redo, {path: "api/remove", body: {map: "x", expect: {x, town}}});
});

test("a record changed on both sides meanwhile merges field by field; saves made again over the files", () => {
    const base = record("a", "b", "c", "d");
    assert.deepEqual(edits.mergeRecord(base, record("a", "mine", "c", "d"), record("a", "b", "c", "theirs")),
                     {merged: record("a", "mine", "c", "theirs"), kept: ["right"], clashes: []});
    assert.deepEqual(edits.mergeRecord(base, record("same", "", "x", "d"), record("same", "", "y", "d")),
                     {merged: record("same", "", "x", "d"), kept: [], clashes: ["left"]});
    // A link of two maps by dragging: one file changed elsewhere, the other not at all.
    const saves = [{map: "hub", expect: base, links: record("a", "b", "west", "d")},
                   {map: "west", expect: record("", "", "", ""), links: record("", "", "", "hub")}];
    const merged = edits.rebase(saves, [{map: "hub", current: record("north", "b", "c", "")}]);
    assert.deepEqual(merged, {
        saves: [{map: "hub", expect: record("north", "b", "c", ""), links: record("north", "b", "west", "")},
                saves[1]],
        kept: [{map: "hub", direction: "up", text: "north"}, {map: "hub", direction: "right", text: ""}],
        clashes: [], lost: []});
    assert.equal(words.keptInWords(merged.kept, "hub"),
                 "Up had been changed meanwhile to north, kept; Right had been emptied meanwhile, kept");
    const clashing = edits.rebase(saves, [{map: "hub", current: record("a", "b", "east", "d")}]);
    assert.deepEqual(clashing.clashes, [{map: "hub", direction: "left", mine: "west", theirs: "east"}]);
    assert.equal(words.refusedInWords(clashing, "west"),
                 "Nothing was saved: hub's Left was changed meanwhile to east.");
    // A new map whose file was made meanwhile, and a file gone, cannot be merged.
    const lost = edits.rebase([...edits.newMap("new").saves, saves[1]],
                              [{map: "new", current: record("", "", "", "")}, {map: "west", current: null}]);
    assert.deepEqual(lost.lost, [{map: "new", failure: null, exists: true}, {map: "west", failure: null, exists: false}]);
    assert.equal(words.savedInWords("hub", ["down", "left", "right"]), "Saved hub's Down, Left and Right.");
});

test("the geometry: arrow keys, drops, links under a click, and the view", () => {
    const maps = [{name: "a", right: "gone", down: "c"}, {name: "b"}, {name: "c"}, {name: "d"}];
    const world = {maps, byName: new Map(maps.map((m, i) => [m.name, i])),
                   rects: [box(0, 0), box(400, 0), box(0, 650), box(220, 130)]};
    assert.equal(geometry.neighbourOf(world, 0, "down"), 2);   // linked, though d lies nearer
    assert.equal(geometry.neighbourOf(world, 0, "right"), 1);  // b: 400 ahead; d: 220, and 130 aside
    assert.equal(geometry.neighbourOf(world, 0, "up"), null);
    const rects = [box(0, 0), box(220, 0)];
    assert.deepEqual(geometry.dropAt(rects, 0, {x: 225, y: 28}), {target: 1, side: "left"});
    assert.deepEqual(geometry.dropAt(rects, 0, {x: 290, y: 70}), {target: 1, side: "down"});
    assert.deepEqual(geometry.dropAt(rects, 0, {x: 300, y: 35}), {target: 1, side: null}); // the middle
    assert.deepEqual(geometry.dropAt(rects, 0, {x: 340, y: 28}), {target: 1, side: "right"});
    assert.equal(geometry.dropAt(rects, 0, {x: 290, y: 90}), null);
    assert.equal(geometry.dropAt(rects, 1, {x: 225, y: 28}), null);
    assert.deepEqual(geometry.sideEnds(rects[1], "right"), [[360, 0], [360, 56]]);
    // Paths as the picture writes them.
    const links = [{map: 0, points: geometry.pathPoints("M180,168 L260,168")},
                   {map: 1, points: geometry.pathPoints("M110,224 L110,262 L1e+06,262 L1e+06,298")}];
    assert.deepEqual(links[1].points, [[110, 224], [110, 262], [1e6, 262], [1e6, 298]]);
    assert.equal(geometry.linkAt(links, {x: 220, y: 172}, 8).map, 0);
    assert.equal(geometry.linkAt(links, {x: 500, y: 258}, 8).map, 1);
    assert.equal(geometry.linkAt(links, {x: 220, y: 190}, 8), null);
    const view = {width: 500, height: 500};
    assert.deepEqual(geometry.fitted({width: 1000, height: 500}, view), {x: 5, y: 127.5, k: 0.49});
    assert.equal(geometry.viewOnto(box(100, 100), {x: 0, y: 0, k: 1}, view), null);
    const k = geometry.readable;
    assert.deepEqual(geometry.viewOnto(box(100, 100), {x: -200, y: 0, k: 0.5}, view),
                     {x: 250 - 170 * k, y: 250 - 128 * k, k});
    assert.equal(geometry.viewOnto(box(100, 100), {x: 0, y: 0, k: 0.5}, view).k, k); // names too small
    // The first view: the region of the most maps, whole where it fits with names read, else
    // centred at that scale; or the chosen map's region.
    const regions = [1, 2, 2, 3];
    const boxes = [box(40, 140), box(260, 140), box(480, 140), box(4000, 4000)];
    assert.deepEqual(geometry.firstView(regions, boxes, -1, {width: 1000, height: 600}),
                     {x: 500 - 440, y: 300 - 168, k: 1});
    const narrow = geometry.firstView(regions, boxes, -1, {width: 300, height: 600});
    assert.equal(narrow.k, k);
    assert.equal(narrow.x, 150 - 440 * k);
    assert.deepEqual(geometry.firstView(regions, boxes, 3, {width: 1000, height: 600}),
                     {x: 500 - 4070, y: 300 - 4028, k: 1});
    assert.deepEqual(geometry.inArea(boxes, {x: 300, y: 0, width: 200, height: 150}), [1, 2]);
});

test("the picture taken apart by lines: links under the maps, or over maps drawn at their sizes", () => {
    const root = '<svg xmlns="http://www.w3.org/2000/svg" class="world" width="900" height="600" ' +
        'data-box-width="140" data-box-height="56" data-pitch-x="220" data-pitch-y="130">\n<g class="legend"></g>\n';
    const boxes = ['<g class="map" data-map="0"><title>a</title><rect class="box" x="40" y="140" width="280" ' +
                   'height="210" rx="6"/><text class="name" x="180" y="250">a</text></g>\n',
                   '<g class="map" data-map="1"><title>b</title><rect class="box" x="320" y="140" width="140" ' +
                   'height="105" rx="6"/><text class="name" x="390" y="197.5">b</text></g>\n'];
    const lines = ['<path class="link one-way mark" data-map="0" data-direction="right" d="M312,192.5 L328,192.5" ' +
                   'marker-end="url(#arrow)"/>\n',
                   '<g class="dangling" data-map="1" data-direction="up"><title>gone</title>' +
                   '<path class="stub" d="M390,140 L390,128"/></g>\n'];
    const [maps, links] = [`<g class="maps">\n${boxes.join("")}</g>\n`, `<g class="links">\n${lines.join("")}</g>\n`];
    const end = '<g class="findings"></g>\n</svg>\n';
    const empty = (group) => group.replace(/\n[^]*<\/g>\n$/, "\n</g>\n");
    for (const groups of [[maps, links], [links, maps]]) {
        const parts = new PictureText(root + groups.join("") + end);
        assert.equal(parts.frame, root + groups.map(empty).join("") + end);
        assert.deepEqual(parts.cell, {width: 140, height: 56, pitchX: 220, pitchY: 130});
        assert.deepEqual(parts.rects, [{x: 40, y: 140, width: 280, height: 210}, {x: 320, y: 140, width: 140, height: 105}]);
        assert.equal(parts.mapLine(1), boxes[1]);
        assert.deepEqual([parts.linkCount, parts.linkLine(1)], [2, lines[1]]);
        assert.deepEqual(parts.link(0), {map: 0, direction: "right", d: "M312,192.5 L328,192.5", mark: true});
        assert.equal(parts.link(1).mark, false);
        assert.deepEqual(parts.linksIn({x: 310, y: 190, width: 4, height: 4}), [0, 1]);
        assert.deepEqual(parts.linksIn({x: 500, y: 150, width: 4, height: 4}), [1]); // a stub's name
    }
});

test("a new map goes beside the chosen map where there is room and the view shows it", () => {
    const pitch = {x: 220, y: 130};
    const size = {width: 140, height: 56};
    const taken = [box(0, 0), box(220, 0), box(0, 130)];
    const area = {x: -500, y: -300, width: 1200, height: 800};
    assert.deepEqual(geometry.placeNewMap(taken, taken[0], area, size, pitch), {x: -220, y: 0}); // left
    assert.deepEqual(geometry.placeNewMap([...taken, box(-220, 0)], taken[0], area, size, pitch),
                     {x: 0, y: -130}); // above
    // Right of the chosen map lies outside the view: the next free spot inside it.
    assert.deepEqual(geometry.placeNewMap([box(0, 0)], box(0, 0), {x: -300, y: -50, width: 450, height: 400}, size, pitch),
                     {x: 0, y: 130});
    // The view elsewhere: beside the chosen map all the same.
    assert.deepEqual(geometry.placeNewMap(taken, taken[0], {x: 5000, y: 0, width: 800, height: 600}, size, pitch),
                     {x: -220, y: 0});
    // Nothing chosen: the middle of the view, or the nearest free spot.
    assert.deepEqual(geometry.placeNewMap([], null, {x: 0, y: 0, width: 1000, height: 600}, size, pitch),
                     {x: 430, y: 272});
    assert.deepEqual(geometry.placeNewMap([box(430, 272)], null, {x: 0, y: 0, width: 1000, height: 600}, size, pitch),
                     {x: 650, y: 272});
    // Shown beside the map it was put beside, wherever the layout puts that one; one beside
    // another new map too; one whose anchor is gone, where the layout puts it.
    const names = ["hub", "new", "newer", "lost"];
    const placed = new Map([["new", {anchor: "hub", dx: 220, dy: 0}], ["newer", {anchor: "new", dx: 0, dy: 130}],
                            ["lost", {anchor: "gone", dx: 1, dy: 1}]]);
    assert.deepEqual(geometry.withPlaces([box(440, 0), box(9000, 0), box(9220, 0), box(5, 5)],
                                         (name) => names.indexOf(name), placed),
                     [box(440, 0), box(660, 0), box(660, 130), box(5, 5)]);
    assert.equal(geometry.nearest([box(0, 0), box(220, 0)], {x: 300, y: 0}), 1);
});

test("what the page says of maps and findings, and which maps a search finds first", () => {
    const error = {severity: "error", message: "shore leads right to cave, but cave leads nowhere left"};
    assert.equal(words.describe({name: "shore", up: "", down: "", left: "", right: "cave"}, [error]),
                 `shore; leads right to cave; error: ${error.message}`);
    assert.equal(words.describe({name: "", up: null}, []), "the map with no name; its link file cannot be loaded");
    assert.equal(words.describe({name: "x", up: "", down: "", left: "", right: ""}, []), "x; leads nowhere");
    assert.equal(words.describe({name: "x", up: null, merge: {}}, []), "x; its link file holds an unresolved merge");
    assert.equal(words.summary({maps: [{}], findings: [error]}), "1 map: 1 error, 0 warnings");
    const maps = ["route1", "Route", "route2", "town"].map((name) => ({name}));
    assert.deepEqual(words.mapsMatching(maps, " ROUTE "), [1, 0, 2]);
    assert.deepEqual(["route", " Town ", "town", "towns"].map((name) => words.resembling(maps, name)),
                     ["Route", "town", null, null]);
    assert.equal(words.resembling([{name: "TOWN"}, ...maps], "town"), null); // it is a map's name
    const width = (text) => text.length * 7;
    assert.deepEqual([70, 69, 14, 13].map((room) => words.fitText("Route110ab", room, width)),
                     ["Route110ab", "Route110\u2026", "R\u2026", ""]);
    // The arrow keys, where they follow no link; a drop, where it would link and where not.
    const fortree = {name: "Fortree", up: "gone", down: "", left: "", right: ""};
    assert.equal(words.arrowInWords(fortree, "down", "Route133"),
                 "Fortree leads nowhere down; Route133 is the nearest map below.");
    assert.equal(words.arrowInWords(fortree, "left", null), "Nothing lies left of Fortree.");
    assert.equal(words.arrowInWords(fortree, "up", null), "Fortree leads up to gone, which has no link file; no map lies above.");
    assert.equal(words.dropInWords("West", {target: 0, side: "left"}, "Hub"), "Drop: West left of Hub");
    assert.match(words.dropInWords("West", {target: 0, side: null}, "Hub"), /^Drop West on a side of Hub, not its middle/);
});

test("a merge left unresolved: the fields to choose, the save of the sides chosen, what the panel says", () => {
    const loaded = record("town", "<<<<<<< ours", "mine", "=======");
    const both = {loaded, ours: record("town", "mine", "", "far"), theirs: record("town", "pit", "", "")};
    assert.deepEqual(merge.mergeFields(both).filter((f) => f.conflict).map((f) => f.direction), ["down", "right"]);
    assert.deepEqual(merge.resolution("cave", both, {down: "theirs"}), {missing: ["right"]});
    assert.deepEqual(merge.resolution("cave", both, {down: "theirs", right: "ours", up: "theirs"}),
                     {save: {map: "cave", expect: loaded, links: record("town", "pit", "", "far")}});
    assert.equal(merge.mergeInWords("cave", both), "cave holds an unresolved merge: ours and theirs " +
                 "differ on Down and Right. Choose a side for each, then Save.");
    // A side short of four lines gives no record: the other's fields, with nothing to choose.
    const short = {loaded, ours: null, theirs: both.theirs};
    assert.deepEqual(merge.resolution("cave", short, {}).save.links, both.theirs);
    assert.match(merge.mergeInWords("cave", short), /Ours has fewer than four lines, so the fields are theirs/);
    assert.deepEqual(merge.resolution("cave", {loaded, ours: null, theirs: null}, {}).missing, edits.directions);
});

test("the store chooses the map waited for once it comes, and forgets what has gone", () => {
    const store = new Store();
    const world = (version, ...names) => ({version, folder: "f", findings: [],
                                           maps: names.map((name, at) => ({name, up: "", down: "", left: "", right: "",
                                                                         region: at + 1}))});
    store.showWorld(world(1, "a", "b"), "<svg/>");
    store.choose(1, {link: {map: "b", direction: "up"}});
    store.conflict = {current: null};
    assert.equal(store.heard(2), true);
    store.showWorld(world(2, "a"), "<svg/>");
    assert.deepEqual([store.chosen, store.chosenLink], [null, null]);
    store.pendingChoice = "c";
    store.showWorld(world(3, "a", "c"), "<svg/>");
    assert.deepEqual([store.chosen, store.pendingChoice, store.recordOf("c")], ["c", null, record("", "", "", "")]);
    // A map the page made keeps its place while it is alone, and the layout's once linked.
    store.placed.set("a", {x: 1, y: 2}).set("c", {x: 3, y: 4});
    const linked = world(4, "a", "c");
    linked.maps[1].region = 1;
    store.showWorld(world(4, "a", "c"), "<svg/>");
    assert.deepEqual([...store.placed.keys()], ["a", "c"]);
    store.showWorld(linked, "<svg/>");
    assert.deepEqual([...store.placed.keys()], []);
    store.choose(0);
    assert.equal(store.conflict, null);
    store.remember(edits.savesHistory("Saved a.", []));
    store.replayed(true);
    store.remember(edits.savesHistory("Saved c.", [])); // what was undone can no longer be redone
    assert.deepEqual([store.done.length, store.undone.length], [1, 0]);
});
