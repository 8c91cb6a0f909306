// The keyboard: on a map's box, the arrow keys follow its links (or go to the nearest map that
// way, saying so, or say that none lies that way), Enter goes to its fields and Space chooses it; on the picture, the arrow keys move it;
// anywhere but in a field or the dialog, + and − zoom, 0 fits the world in, Delete cuts the
// chosen link, Escape ends a drag, and Ctrl+Z undoes, Ctrl+Shift+Z or Ctrl+Y redoes.

import {neighbourOf} from "./geometry.js";
import {arrowInWords} from "./words.js";

const arrows = {ArrowUp: "up", ArrowDown: "down", ArrowLeft: "left", ArrowRight: "right"};

function typingInAField(event) {
    return event.target instanceof HTMLInputElement || event.target instanceof HTMLTextAreaElement;
}

export function listenToKeys({document, viewport, stage},
                             {store, picture, view, saving, panel, dragging, question}) {
    let spoken = ""; // what the arrow keys said last, taken back when they follow a link
    stage.addEventListener("keydown", (event) => {
        const index = picture.mapAt(event.target);
        if (index < 0) {
            return;
        }
        const direction = arrows[event.key];
        if (direction) {
            const map = store.world.maps[index];
            const next = neighbourOf({maps: store.world.maps, byName: store.byName, rects: picture.rects},
                                     index, direction);
            const followed = next !== null && store.byName.get(map[direction]) === next;
            const said = followed ? "" : arrowInWords(map, direction, next === null ? null : store.world.maps[next].name);
            if (said || store.status.text === spoken) {
                store.tell(said);
                spoken = said;
            }
            if (next !== null) {
                store.choose(next, {focus: true});
            }
            event.stopPropagation();
        } else if (event.key === "Enter") {
            store.choose(index, {view: false});
            panel.focus();
        } else if (event.key === " ") {
            store.choose(index, {focus: true, view: false});
        } else {
            return;
        }
        event.preventDefault();
    });

    viewport.addEventListener("keydown", (event) => {
        const moves = {ArrowUp: [0, 60], ArrowDown: [0, -60], ArrowLeft: [60, 0], ArrowRight: [-60, 0]};
        if (event.target === viewport && moves[event.key]) {
            view.panBy(...moves[event.key]);
            event.preventDefault();
        }
    });

    document.addEventListener("keydown", (event) => {
        if (typingInAField(event) || question.open) {
            return; // a field's own undo, and the dialog's own keys
        }
        const key = event.key.toLowerCase();
        if (event.ctrlKey || event.metaKey) {
            if (key === "z" && !event.shiftKey) {
                saving.undo();
            } else if ((key === "z" && event.shiftKey) || key === "y") {
                saving.redo();
            } else {
                return;
            }
        } else if (event.altKey) {
            return;
        } else if (event.key === "+" || event.key === "=") {
            view.zoomBy(1.25);
        } else if (event.key === "-") {
            view.zoomBy(0.8);
        } else if (event.key === "0") {
            view.fit();
        } else if ((event.key === "Delete" || event.key === "Backspace") && store.chosenLink) {
            saving.cut(store.chosenLink.map, store.chosenLink.direction);
        } else if (event.key === "Escape" && dragging.dragging) {
            dragging.cancel();
            store.tell("Nothing was linked.");
        } else {
            return;
        }
        event.preventDefault();
    });
}
