// The editor's page's modules that do not touch the page, under Node's own test runner: the
// edits and their inverses (a rename's and a removal's among them), the geometry of the picture,
// what the page says, the choice of sides of a merge left unresolved, and the store.
import assert from "node:assert/strict";
import test from "node:test";

import * as edits from "../../worldtool/page/edits.js";
import * as geometry from "../../worldtool/page/geometry.js";
import * as merge from "../../worldtool/page/merge.js";
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
        replaced: [], label: "Linked c up of b."});
    assert.deepEqual(edits.link(of, "a", "b", "left").replaced, ["a leads right to x"]);
    assert.deepEqual(edits.link(of, "c", "a", "right").replaced, ["a leads right to x", "c leads left to y"]);
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
    assert.deepEqual(geometry.viewOnto(box(100, 100), {x: -200, y: 0, k: 0.5}, view),
                     {x: 250 - 170 * 0.6, y: 250 - 128 * 0.6, k: 0.6});
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
                                           maps: names.map((name) => ({name, up: "", down: "", left: "", right: ""}))});
    store.showWorld(world(1, "a", "b"), "<svg/>");
    store.choose(1, {link: {map: "b", direction: "up"}});
    store.conflict = {current: null};
    assert.equal(store.heard(2), true);
    store.showWorld(world(2, "a"), "<svg/>");
    assert.deepEqual([store.chosen, store.chosenLink], [null, null]);
    store.pendingChoice = "c";
    store.showWorld(world(3, "a", "c"), "<svg/>");
    assert.deepEqual([store.chosen, store.pendingChoice, store.recordOf("c")], ["c", null, record("", "", "", "")]);
    store.choose(0);
    assert.equal(store.conflict, null);
    store.remember(edits.savesHistory("Saved a.", []));
    store.replayed(true);
    store.remember(edits.savesHistory("Saved c.", [])); // what was undone can no longer be redone
    assert.deepEqual([store.done.length, store.undone.length], [1, 0]);
});
