// The bar above the picture: the world's name, Find a map (Enter again: the next that matches),
// the buttons that zoom, fit, undo and redo, and New map, which makes a map in view, beside the
// chosen map if there is one.

import {grown, nearest, placeNewMap} from "./geometry.js";
import {mapsMatching} from "./words.js";

export class Toolbar {
    // `elements`: title, search (form), find, found, zoomIn, zoomOut, fit, undo, redo, newMap
    // (form), newName.
    constructor(elements, {store, view, saving, picture}) {
        Object.assign(this, {elements, store, view, saving, picture});
        this.searchIndex = -1;
        elements.zoomIn.addEventListener("click", () => view.zoomBy(1.25));
        elements.zoomOut.addEventListener("click", () => view.zoomBy(0.8));
        elements.fit.addEventListener("click", () => view.fit());
        elements.undo.addEventListener("click", () => saving.undo());
        elements.redo.addEventListener("click", () => saving.redo());
        elements.search.addEventListener("submit", (event) => {
            event.preventDefault();
            this.findNext();
        });
        elements.find.addEventListener("input", () => {
            this.searchIndex = -1;
            elements.found.textContent = "";
        });
        elements.newMap.addEventListener("submit", async (event) => {
            event.preventDefault();
            if (await saving.makeMap(elements.newName.value, this.placeOfNewMap())) {
                elements.newName.value = "";
            }
        });
        store.on("world", () => {
            elements.title.textContent = `The world of ${store.world.folder}`;
            elements.title.ownerDocument.title = `Tovren: ${store.world.folder}`;
        });
        store.on("history", () => this.showHistory());
    }

    // Where a new map goes on the picture: in view, beside the chosen map, on no box or link;
    // kept beside the chosen map, or the map nearest the middle of the view, wherever the layout
    // puts that one (geometry.withPlaces).
    placeOfNewMap() {
        const {picture, store} = this;
        const cell = picture.cell();
        const chosen = store.chosenIndex();
        const seen = this.view.seen();
        const taken = [...picture.rects];
        for (const {points} of picture.links()) {
            for (let at = 1; at < points.length; ++at) {
                const [[ax, ay], [bx, by]] = [points[at - 1], points[at]];
                taken.push({x: Math.min(ax, bx), y: Math.min(ay, by),
                            width: Math.abs(bx - ax) || 1, height: Math.abs(by - ay) || 1});
            }
        }
        const place = placeNewMap(taken, chosen >= 0 ? picture.rects[chosen] : null, grown(seen, -0.05),
                                  {width: cell.width, height: cell.height}, {x: cell.pitchX, y: cell.pitchY});
        const anchor = chosen >= 0 ? chosen : nearest(picture.rects, {x: seen.x + seen.width / 2, y: seen.y + seen.height / 2});
        if (anchor < 0) {
            return place;
        }
        const rect = picture.rects[anchor];
        return {anchor: store.world.maps[anchor].name, dx: place.x - rect.x, dy: place.y - rect.y};
    }

    findNext() {
        const {store, elements} = this;
        if (!store.world || !elements.find.value.trim()) {
            return;
        }
        const matches = mapsMatching(store.world.maps, elements.find.value);
        if (!matches.length) {
            elements.found.textContent = "No map is named so.";
            return;
        }
        this.searchIndex = (this.searchIndex + 1) % matches.length;
        const index = matches[this.searchIndex];
        const name = store.world.maps[index].name;
        elements.found.textContent = `${this.searchIndex + 1} of ${matches.length}: ${name}`;
        store.choose(index);
    }

    showHistory() {
        const {done, undone} = this.store;
        const {undo, redo} = this.elements;
        undo.disabled = done.length === 0;
        redo.disabled = undone.length === 0;
        undo.title = done.length ? `Undo: ${done.at(-1).label} (Ctrl+Z)` : "Nothing to undo";
        redo.title = undone.length ? `Redo: ${undone.at(-1).label} (Ctrl+Shift+Z)` : "Nothing to redo";
    }
}
