// The picture of the world as the server draws it (the picture of `tovren-world draw`), made
// into the page's list of maps: each map's box is an option that says its name, links and
// faults, the chosen map and link are marked, and its boxes and links are read once for
// geometry.js. What the page relies on in the picture: each map is a g.map with its index in the
// world's maps as data-map and a rect.box; each link is a path.link, a g.dangling or a g.wrap
// with its map's index as data-map and its direction as data-direction, whose path's d is
// "Mx,y Lx,y…" in absolute numbers; a link that leads both ways is drawn once, from one end.

import {opposite} from "./edits.js";
import {describe, findingsByMap} from "./words.js";
import {pathPoints} from "./geometry.js";

const mapSelector = "g.map[data-map]";

export class Picture {
    constructor(stage, store) {
        this.stage = stage;
        this.store = store;
        this.boxes = [];       // the map groups, by index into the world's maps
        this.rects = [];       // their boxes' places on the picture
        this.tabbable = null;  // the one box that Tab reaches
        this.linkShapes = null; // read when first asked for
        store.on("world", ({picture}) => this.show(picture));
        store.on("choice", ({focus}) => this.markChoice(focus));
    }

    show(text) {
        const world = this.store.world;
        const picture = new DOMParser().parseFromString(text, "image/svg+xml").documentElement;
        this.stage.replaceChildren(picture);
        this.boxes = Array.from(picture.querySelectorAll(mapSelector));
        this.rects = this.boxes.map((box) => {
            const rect = box.querySelector("rect.box");
            return {x: Number(rect.getAttribute("x")), y: Number(rect.getAttribute("y")),
                    width: Number(rect.getAttribute("width")), height: Number(rect.getAttribute("height"))};
        });
        this.tabbable = null;
        this.linkShapes = null;
        const maps = picture.querySelector("g.maps");
        maps.setAttribute("role", "listbox");
        maps.setAttribute("aria-label", "Maps of the world");
        picture.setAttribute("role", "group");
        picture.setAttribute("aria-label", `The world of ${world.folder}`);
        const findingsOf = findingsByMap(world.findings);
        this.boxes.forEach((box, index) => {
            const map = world.maps[index];
            box.setAttribute("role", "option");
            box.setAttribute("tabindex", "-1");
            box.setAttribute("aria-selected", "false");
            box.setAttribute("aria-label", describe(map, findingsOf.get(map.name) || []));
        });
        this.markChoice(false);
    }

    // The picture's size in its own units.
    size() {
        const svg = this.stage.querySelector("svg");
        return svg ? {width: Number(svg.getAttribute("width")), height: Number(svg.getAttribute("height"))}
                   : {width: 1, height: 1};
    }

    // The index of the map whose box holds an element of the page, or -1.
    mapAt(element) {
        const box = element && element.closest ? element.closest(mapSelector) : null;
        return box ? Number(box.dataset.map) : -1;
    }

    // Every link drawn, as {map, direction, points}, for hit-testing.
    links() {
        if (!this.linkShapes) {
            const paths = this.stage.querySelectorAll(
                "path.link[data-map], g.dangling[data-map] path, g.wrap[data-map] path");
            this.linkShapes = Array.from(paths, (path) => {
                const owner = path.closest("[data-map]");
                return {map: Number(owner.dataset.map), direction: owner.dataset.direction,
                        points: pathPoints(path.getAttribute("d"))};
            });
        }
        return this.linkShapes;
    }

    markChoice(focus) {
        this.markChosenMap(focus);
        this.markChosenLink();
    }

    markChosenMap(focus) {
        for (const box of this.stage.querySelectorAll("g.map.selected")) {
            box.classList.remove("selected");
            box.setAttribute("aria-selected", "false");
        }
        const index = this.store.chosenIndex();
        const target = index >= 0 ? this.boxes[index] : this.boxes[0];
        if (this.tabbable && this.tabbable !== target) {
            this.tabbable.setAttribute("tabindex", "-1");
        }
        if (target) {
            target.setAttribute("tabindex", "0"); // Tab reaches the maps here
        }
        this.tabbable = target || null;
        if (index >= 0) {
            this.boxes[index].classList.add("selected");
            this.boxes[index].setAttribute("aria-selected", "true");
            if (focus) {
                this.boxes[index].focus({preventScroll: true});
            }
        }
    }

    markChosenLink() {
        for (const element of this.stage.querySelectorAll(".selected:not(g.map)")) {
            element.classList.remove("selected");
        }
        const link = this.store.chosenLink;
        if (!link) {
            return;
        }
        const index = this.store.indexOf(link.map);
        const selector = `[data-map="${index}"][data-direction="${link.direction}"]`;
        let element = this.stage.querySelector(
            `path.link${selector}, g.dangling${selector}, g.wrap${selector}`);
        if (!element) { // a link both ways is drawn once, from its other end
            const far = this.store.indexOf(this.store.world.maps[index][link.direction]);
            if (far >= 0) {
                element = this.stage.querySelector(
                    `path.link[data-map="${far}"][data-direction="${opposite[link.direction]}"]`);
            }
        }
        if (element) {
            element.classList.add("selected");
        }
    }
}
