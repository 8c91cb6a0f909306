// The view of the picture: panning and zooming with d3-zoom 1.8 (Debian's node-d3-zoom, the
// global d3, whose listeners find their event in d3.event), opening where names can be read,
// fitting the whole world in, and bringing a map into sight. The stage holding the picture is
// moved by a CSS transform; at rest it is drawn again at the scale it is seen at, sharp. The
// picture is told what the view shows, to draw that part. When the world changes, the map the
// page acts on (or the one in the middle of the view) stays where it is on the screen, wherever
// the new layout puts it.

import {firstView, fitted, seenArea, viewOnto} from "./geometry.js";

export class Viewport {
    constructor({viewport, stage}, picture, store) {
        this.element = viewport;
        this.picture = picture;
        this.store = store;
        this.movedListeners = [];
        let settling = null;
        this.zoom = d3.zoom()
            .scaleExtent([0.005, 4])
            .filter(() => {
                const event = d3.event; // a map's box is dragged, not the picture
                return event.type === "wheel" || (!event.button && picture.mapAt(event.target) < 0);
            })
            .on("zoom", () => {
                const {x, y, k} = d3.event.transform;
                stage.classList.add("moving");
                stage.style.transform = `translate(${x}px, ${y}px) scale(${k})`;
                this.moved();
                clearTimeout(settling);
                settling = setTimeout(() => {
                    stage.classList.remove("moving");
                    picture.settle();
                }, 200);
            });
        this.view = d3.select(viewport);
        this.view.call(this.zoom).on("dblclick.zoom", null);
        store.on("shown", ({first}) => (first ? this.open() : this.keepSteady()));
        store.on("choice", ({view}) => view && this.bringIntoView(store.chosenIndex()));
        window.addEventListener("resize", () => this.moved());
    }

    moved() {
        this.picture.follow(seenArea(this.transform(), this.size()), this.transform().k);
        this.movedListeners.forEach((moved) => moved());
    }

    // The first view of a world (with the page laid out): where its names can be read.
    open() {
        const maps = this.store.world.maps;
        this.moveTo(firstView(maps.map((map) => map.region), this.picture.rects,
                              this.store.chosenIndex(), this.size()), 0);
        this.picture.settle();
    }

    // After a change of the world: the map named in store.steady, else the one nearest the
    // middle of the view, where it was on the screen.
    keepSteady() {
        const view = this.transform();
        const store = this.store;
        let name = store.steady;
        store.steady = null;
        if (name === null) {
            const middle = seenArea(view, this.size());
            [middle.x, middle.y] = [middle.x + middle.width / 2, middle.y + middle.height / 2];
            let nearest = Infinity;
            for (const [index, rect] of this.picture.rects.entries()) {
                const before = this.picture.placeBefore(store.world.maps[index].name);
                const distance = before ? Math.hypot(before.x - middle.x, before.y - middle.y) : Infinity;
                if (distance < nearest) {
                    [nearest, name] = [distance, store.world.maps[index].name];
                }
            }
        }
        const before = name === null ? null : this.picture.placeBefore(name);
        const index = store.indexOf(name);
        if (before && index >= 0) {
            const now = this.picture.rects[index];
            if (now.x !== before.x || now.y !== before.y) {
                this.moveTo({x: view.x - (now.x - before.x) * view.k,
                             y: view.y - (now.y - before.y) * view.k, k: view.k}, 0);
            }
        }
    }

    // `moved()` is called whenever the view changes.
    onMove(moved) {
        this.movedListeners.push(moved);
    }

    // The view as {x, y, k}: a picture point p is seen at p * k + (x, y).
    transform() {
        return d3.zoomTransform(this.element);
    }

    size() {
        return {width: this.element.clientWidth, height: this.element.clientHeight};
    }

    moveTo({x, y, k}, duration = 250) {
        const to = d3.zoomIdentity.translate(x, y).scale(k);
        (duration ? this.view.transition().duration(duration) : this.view).call(this.zoom.transform, to);
    }

    fit(animated = true) {
        this.moveTo(fitted(this.picture.size(), this.size()), animated ? 250 : 0);
    }

    zoomBy(factor) {
        this.view.transition().duration(150).call(this.zoom.scaleBy, factor);
    }

    // Moves the picture by so many pixels on the screen.
    panBy(dx, dy) {
        const k = this.transform().k;
        this.view.call(this.zoom.translateBy, dx / k, dy / k);
    }

    // What the view shows of the picture, {x, y, width, height} in its units.
    seen() {
        return seenArea(this.transform(), this.size());
    }

    bringIntoView(index) {
        const view = index >= 0 ? viewOnto(this.picture.rects[index], this.transform(), this.size()) : null;
        if (view) {
            this.moveTo(view);
        }
    }

    // The map in the middle of the view, at the scale it is seen at.
    centreOn(index) {
        const rect = this.picture.rects[index];
        this.view.transition().duration(250)
            .call(this.zoom.translateTo, rect.x + rect.width / 2, rect.y + rect.height / 2);
    }

    // The picture's point under a point of the page.
    pictureAt(clientX, clientY) {
        const bounds = this.element.getBoundingClientRect();
        const [x, y] = this.transform().invert([clientX - bounds.left, clientY - bounds.top]);
        return {x, y};
    }
}
