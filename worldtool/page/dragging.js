// The pointer on the picture: a click chooses a map, or the link nearest to it (on maps drawn
// at their sizes, a link's mark across the edge of two maps near it, over the maps); a double-click
// travels to a map; and a map dragged onto a side of another links the two there, with a ghost
// of the map and a line on the side it would land on, drawn over the picture while it moves,
// and the status line saying what a drop there would do. A drop on the middle of a map, or on
// no map, links nothing and says where to drop; Escape ends the drag (keyboard.js).

import {dropAt, linkAt, sideEnds} from "./geometry.js";
import {dropInWords} from "./words.js";

const svgNamespace = "http://www.w3.org/2000/svg";

export class Dragging {
    constructor({viewport, stage, overlay}, {picture, view, store, saving, panel}) {
        Object.assign(this, {viewport, overlay, picture, view, store, saving});
        this.drag = null; // {from, startX, startY, x, y, drop: {target, side} or null, moved}
        // Whether the press that ends in the next click began on a map: end() has answered it.
        // The pointer is captured, so that click is the viewport's, wherever it was.
        this.pressedOnMap = false;
        viewport.addEventListener("pointerdown", () => (this.pressedOnMap = false), true);
        stage.addEventListener("pointerdown", (event) => this.start(event));
        viewport.addEventListener("pointermove", (event) => this.move(event));
        viewport.addEventListener("pointerup", () => this.end());
        viewport.addEventListener("pointercancel", () => this.cancel());
        viewport.addEventListener("click", (event) => this.chooseLink(event));
        view.onMove(() => this.draw());
        stage.addEventListener("dblclick", (event) => {
            const index = picture.mapAt(event.target);
            if (index >= 0) { // travel there: the map in the middle, its fields ready
                store.choose(index, {view: false});
                view.centreOn(index);
                panel.focus();
            }
        });
    }

    get dragging() {
        return this.drag !== null;
    }

    start(event) {
        const from = this.picture.mapAt(event.target);
        if (from < 0 || event.button !== 0) {
            return;
        }
        this.drag = {from, startX: event.clientX, startY: event.clientY, x: event.clientX,
                     y: event.clientY, drop: null, moved: false};
        this.pressedOnMap = true;
        this.viewport.setPointerCapture(event.pointerId);
        event.preventDefault();
    }

    move(event) {
        const drag = this.drag;
        if (!drag) {
            return;
        }
        drag.x = event.clientX;
        drag.y = event.clientY;
        drag.moved = drag.moved || Math.hypot(drag.x - drag.startX, drag.y - drag.startY) > 5;
        if (drag.moved) {
            drag.drop = dropAt(this.picture.rects, drag.from, this.view.pictureAt(drag.x, drag.y));
            this.draw();
            const said = this.saying(drag);
            if (this.store.status.text !== said) {
                this.store.tell(said);
            }
        }
    }

    end() {
        const drag = this.drag;
        if (!drag) {
            return;
        }
        this.cancel();
        // Within as much of the box as the mark reaches into it, however far out the view is.
        const mark = drag.moved ? null : this.linkNear(drag.x, drag.y, 8, (link) => link.mark);
        if (mark) {
            this.chooseThe(mark);
        } else if (!drag.moved) {
            this.store.choose(drag.from, {focus: true, view: false});
        } else if (drag.drop && drag.drop.side) {
            this.saving.link(drag.from, drag.drop.target, drag.drop.side);
        } else {
            this.store.tell(`Nothing was linked. ${this.saying(drag)}`);
        }
    }

    saying({from, drop}) {
        const maps = this.store.world.maps;
        return dropInWords(maps[from].name, drop, drop ? maps[drop.target].name : null);
    }

    cancel() {
        this.drag = null;
        this.draw();
    }

    // A click beside the maps drawn: the link nearest to it, if one is near; where the boxes are
    // painted as one picture, the map under it, brought near.
    chooseLink(event) {
        if (this.pressedOnMap || this.picture.mapAt(event.target) >= 0 || !this.store.world) {
            return;
        }
        const link = this.linkNear(event.clientX, event.clientY, Infinity);
        const point = this.view.pictureAt(event.clientX, event.clientY);
        if (link) {
            this.chooseThe(link);
        } else if (this.picture.overview && this.picture.mapAtPoint(point) >= 0) {
            this.store.choose(this.picture.mapAtPoint(point), {focus: true});
        }
    }

    // The link drawn nearest to a point of the page, of those `wanted`, if one is within 8
    // pixels on the screen and `most` units on the picture.
    linkNear(clientX, clientY, most, wanted = () => true) {
        const point = this.view.pictureAt(clientX, clientY);
        const near = Math.min(8 / this.view.transform().k, most);
        return linkAt(this.picture.links().filter(wanted), point, near);
    }

    chooseThe(link) {
        const name = this.store.world.maps[link.map].name;
        this.store.choose(link.map, {view: false, link: {map: name, direction: link.direction}});
    }

    // The ghost of the map dragged, under the pointer, and the side it would land on.
    draw() {
        this.overlay.replaceChildren();
        const drag = this.drag;
        if (!drag || !drag.moved) {
            return;
        }
        const t = this.view.transform();
        const from = this.picture.rects[drag.from];
        const bounds = this.viewport.getBoundingClientRect();
        this.shape("rect", {class: "ghost", x: drag.x - bounds.left - from.width * t.k / 2,
                            y: drag.y - bounds.top - from.height * t.k / 2,
                            width: from.width * t.k, height: from.height * t.k});
        if (drag.drop && drag.drop.side) {
            const [[x1, y1], [x2, y2]] = sideEnds(this.picture.rects[drag.drop.target], drag.drop.side);
            this.shape("line", {class: "target", x1: t.applyX(x1), y1: t.applyY(y1),
                                x2: t.applyX(x2), y2: t.applyY(y2)});
        }
    }

    shape(name, attributes) {
        const element = document.createElementNS(svgNamespace, name);
        for (const [attribute, value] of Object.entries(attributes)) {
            element.setAttribute(attribute, value);
        }
        this.overlay.append(element);
    }
}
