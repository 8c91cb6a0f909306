// The bar above the picture: the world's name, Find a map (Enter again: the next that matches),
// the buttons that zoom, fit, undo and redo, and New map.

import {mapsMatching} from "./words.js";

export class Toolbar {
    // `elements`: title, search (form), find, found, zoomIn, zoomOut, fit, undo, redo, newMap
    // (form), newName.
    constructor(elements, {store, view, saving}) {
        Object.assign(this, {elements, store, saving});
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
            if (await saving.makeMap(elements.newName.value)) {
                elements.newName.value = "";
            }
        });
        store.on("world", () => {
            elements.title.textContent = `The world of ${store.world.folder}`;
            elements.title.ownerDocument.title = `Tovren: ${store.world.folder}`;
        });
        store.on("history", () => this.showHistory());
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
