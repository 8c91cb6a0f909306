// The page's one state: the world as the server last sent it, what is chosen, what the panel's
// fields were filled from, the page's own saves for undo and redo, and what the status line
// says. The parts of the page subscribe to the news they show:
// - "world" ({picture}): a new world and its picture, taken apart (picturetext.js), to be shown;
// - "shown" ({first}): then, once every part shows it (the first: the page's first world);
// - "choice" ({focus, view}): another map or link chosen (after "shown" where it is the map
//   waited for);
// - "history": a save kept, undone or redone;
// - "status" ({text, failure}): something to tell.
// Nothing here touches the page.

import {recordOf} from "./edits.js";

export class Store {
    constructor() {
        this.world = null;          // {folder, maps, findings, version}
        this.byName = new Map();    // index into world.maps by map name
        this.chosen = null;         // the chosen map's name
        this.chosenLink = null;     // {map, direction}
        this.pendingChoice = null;  // a map to choose once it appears
        this.placed = new Map();    // new maps' places (geometry.withPlaces), while each is alone
        this.steady = null;         // a map to keep in its place on the screen when the world changes
        this.panel = null;          // {name, baseline}: the map and record the fields show
        this.conflict = null;       // {current, typed, failure}: a save the file refused
        this.done = [];             // the page's own edits, {label, undo, redo}, last last
        this.undone = [];           // saves undone, which can be done again
        this.latest = 0;            // the newest version of the world the server told of
        this.status = {text: "", failure: false};
        this.listeners = new Map();
    }

    on(news, listener) {
        if (!this.listeners.has(news)) {
            this.listeners.set(news, []);
        }
        this.listeners.get(news).push(listener);
    }

    emit(news, detail = {}) {
        for (const listener of this.listeners.get(news) || []) {
            listener(detail);
        }
    }

    // A new world from the server: the map waited for is chosen once it is there, and a chosen
    // map or link that is gone is no longer chosen.
    showWorld(world, picture) {
        const first = this.world === null;
        this.world = world;
        this.byName = new Map(world.maps.map((map, index) => [map.name, index]));
        this.heard(world.version);
        const waited = this.pendingChoice !== null && this.byName.has(this.pendingChoice);
        if (waited) {
            this.chosen = this.pendingChoice;
            this.pendingChoice = null;
        }
        if (this.chosen !== null && !this.byName.has(this.chosen)) {
            this.chosen = null;
        }
        if (this.chosenLink && !this.byName.has(this.chosenLink.map)) {
            this.chosenLink = null;
        }
        this.forgetPlaces();
        this.emit("world", {picture});
        this.emit("shown", {first});
        if (waited) {
            this.emit("choice", {focus: false, view: true});
        }
    }

    // A map the page made is shown where the page put it only while it is a region of its own
    // and the map it was put beside is there: once it is linked, the layout gives it its place.
    forgetPlaces() {
        if (!this.placed.size) {
            return;
        }
        const counts = new Map();
        for (const map of this.world.maps) {
            counts.set(map.region, (counts.get(map.region) || 0) + 1);
        }
        for (const [name, place] of this.placed) {
            const index = this.indexOf(name);
            if (index < 0 || counts.get(this.world.maps[index].region) > 1 ||
                (place.anchor !== undefined && this.indexOf(place.anchor) < 0)) {
                this.placed.delete(name);
            }
        }
    }

    // The server told of this version of the world: true if the page shows an older one.
    heard(version) {
        this.latest = Math.max(this.latest, version);
        return this.behind();
    }

    behind() {
        return !this.world || this.latest > this.world.version;
    }

    indexOf(name) {
        const index = this.byName.get(name);
        return index === undefined ? -1 : index;
    }

    chosenIndex() {
        return this.chosen === null ? -1 : this.indexOf(this.chosen);
    }

    // A map's record as the world shows it, by name; null where there is no such map or its
    // link file cannot be loaded.
    recordOf(name) {
        const index = this.indexOf(name);
        return index < 0 ? null : recordOf(this.world.maps[index]);
    }

    // Chooses a map, and with it one of its links or none. `focus`: the map's box takes the
    // keyboard's focus; `view`: the picture moves to show it.
    choose(index, {focus = false, view = true, link = null} = {}) {
        const name = this.world.maps[index].name;
        if (this.chosen !== name) {
            this.conflict = null;
        }
        this.chosen = name;
        this.chosenLink = link;
        this.emit("choice", {focus, view});
    }

    tell(text, failure = false) {
        this.status = {text, failure};
        this.emit("status", this.status);
    }

    // An edit of the page's own, to undo (edits.js, savesHistory): what can be redone is
    // forgotten.
    remember(entry) {
        this.done.push(entry);
        this.undone.length = 0;
        this.emit("history");
    }

    // The last save undone (backwards) or redone moves to the other list.
    replayed(backwards) {
        const [from, to] = backwards ? [this.done, this.undone] : [this.undone, this.done];
        to.push(from.pop());
        this.emit("history");
    }
}
