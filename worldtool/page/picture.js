// The picture of the world as the server draws it (the picture of `tovren-world draw`), made
// into the page's list of maps: each map's box is an option that says its name, links and
// faults, the chosen map and link are marked, and the boxes' places are kept for geometry.js.
// What the page relies on in the picture is stated in worldtool/picture/svgpicture.h.
//
// A world of up to 2,000 maps is drawn whole. Of a larger one, only what is in view, and around
// it, is drawn: the picture's text is taken apart once (picturetext.js), and each time the view
// leaves the part drawn, the maps and links in the view grown by half its size on every side
// are drawn from their lines, the maps that stay kept as they are (with the keyboard's focus);
// so a world of any size costs what its part in view costs. Where that part holds more maps
// than can be drawn one by one while the picture moves, their boxes are painted on a canvas
// over the picture, too small to hold a name anyway. The list of maps then holds the maps
// drawn, each with its place in the whole list.
//
// Names are cut to what their box holds, and read at 11 pixels or more on the screen at any
// scale where the box is that tall: zoomed out, they are written larger on the picture.

import {opposite} from "./edits.js";
import {contains, grown, inArea, pathPoints, withPlaces} from "./geometry.js";
import {describe, findingsByMap, fitText} from "./words.js";

const mapSelector = "g.map[data-map]";
const svgNamespace = "http://www.w3.org/2000/svg";
const drawnWhole = 2000;     // maps of a world drawn whole
const mostMapsDrawn = 4000;  // beyond, the boxes are drawn as one picture
const mostAddedMoving = 600; // maps added while the view moves; more once it rests
const everywhere = {x: -1e12, y: -1e12, width: 2e12, height: 2e12};
const nameSize = 13;         // the picture's names, in its own units
const leastNameSize = 11;    // on the screen

export class Picture {
    constructor(stage, store) {
        this.stage = stage;
        this.store = store;
        this.parts = null;      // the picture's text taken apart
        this.names = [];        // the world's maps' names
        this.rects = [];        // each map's box on the picture, by index into the world's maps
        this.drawn = new Map(); // the maps drawn, index to element
        this.seen = null;       // the part of the picture in view, and its scale
        this.scale = 1;
        this.drawnArea = null;  // the part drawn
        this.overview = null;   // boxes drawn as one picture: {area, maps}
        this.nameScale = 1;     // the scale the names were last written for
        this.tabbable = null;   // the one box that Tab reaches
        this.linkShapes = null; // the links drawn, read when first asked for
        this.pending = 0;
        this.measure = textMeasure();
        this.widths = new Map(); // names' widths, at the picture's size
        store.on("world", ({picture}) => this.show(picture));
        store.on("choice", ({focus}) => this.markChoice(focus));
    }

    // A new world and its picture, taken apart (PictureText).
    show(parts) {
        const world = this.store.world;
        const hadFocus = this.stage.contains(document.activeElement) && !!document.activeElement.closest(mapSelector);
        this.before = new Map(this.rects.map((rect, index) => [this.names[index], rect]));
        this.parts = parts;
        this.names = world.maps.map((map) => map.name);
        this.rects = withPlaces(this.parts.rects, (name) => this.store.indexOf(name), this.store.placed);
        // Its look is the page's own stylesheet already, and a style the page did not bring is
        // refused by its policy: the picture's own is left out before it is parsed.
        const frame = this.parts.frame.replace(/<style>[\s\S]*?<\/style>/, "");
        const picture = new DOMParser().parseFromString(frame, "image/svg+xml").documentElement;
        this.stage.replaceChildren(picture);
        this.svg = picture;
        this.linkLayer = picture.querySelector("g.links");
        this.mapLayer = picture.querySelector("g.maps");
        this.mapLayer.setAttribute("role", "listbox");
        this.mapLayer.setAttribute("aria-label", "Maps of the world");
        picture.setAttribute("role", "group");
        picture.setAttribute("aria-label", `The world of ${world.folder}`);
        this.findingsOf = findingsByMap(world.findings);
        this.drawn = new Map();
        this.drawnArea = null;
        this.overview = null;
        this.tabbable = null;
        this.linkShapes = null;
        this.writeNamesFor(this.scale);
        if (this.seen) {
            this.draw();
        }
        this.markChoice(hadFocus);
    }

    // Where a map of the world was on the picture before the last world was shown.
    placeBefore(name) {
        return this.before ? this.before.get(name) || null : null;
    }

    // The picture's size in its own units.
    size() {
        return this.parts ? this.parts.size : {width: 1, height: 1};
    }

    // A map's box and the distance between two cells: {width, height, pitchX, pitchY}.
    cell() {
        return this.parts.cell;
    }

    // The index of the map whose box holds an element of the page, or -1.
    mapAt(element) {
        const box = element && element.closest ? element.closest(mapSelector) : null;
        return box ? Number(box.dataset.map) : -1;
    }

    // The index of the map whose box holds a point of the picture, or -1.
    mapAtPoint(point) {
        return this.rects.findIndex((r) => point.x >= r.x && point.x <= r.x + r.width &&
                                           point.y >= r.y && point.y <= r.y + r.height);
    }

    // The view moved: what it shows ({x, y, width, height} on the picture) at scale k. The part
    // drawn is drawn again, before the next frame, once the view leaves it or shows much less;
    // where that would draw many maps at once, once the view comes to rest.
    follow(seen, k) {
        this.seen = seen;
        this.scale = k;
        if (this.parts && !this.pending && this.leftBehind()) {
            this.pending = requestAnimationFrame(() => {
                this.pending = 0;
                this.draw(true);
            });
        }
    }

    whole() {
        return this.rects.length <= drawnWhole;
    }

    // Whether the part drawn no longer serves the view.
    leftBehind() {
        const drawn = this.drawnArea;
        return !drawn || (!this.whole() && (!contains(drawn, this.seen) || this.seen.width * 4 < drawn.width));
    }

    // The view has come to rest: what it shows is drawn, and names are written for its scale.
    settle() {
        if (this.parts && this.seen && this.leftBehind()) {
            this.draw();
        }
        if (this.parts && this.scale !== this.nameScale) {
            this.writeNamesFor(this.scale);
            for (const [index, element] of this.drawn) {
                this.writeName(index, element);
            }
            if (this.overview) {
                this.drawOverview();
            }
        }
    }

    // `moving`: while the view moves, a part that would add many maps is left for settle().
    draw(moving = false) {
        if (!this.parts || !this.seen) {
            return;
        }
        cancelAnimationFrame(this.pending);
        this.pending = 0;
        const area = this.whole() ? everywhere : grown(this.seen, 0.5);
        const inside = inArea(this.rects, area);
        const overview = inside.length > mostMapsDrawn;
        const wanted = overview ? [] : inside;
        for (const index of [this.store.chosenIndex(), this.store.indexOf(this.store.chosenLink?.map)]) {
            if (index >= 0 && !wanted.includes(index)) {
                wanted.push(index);
            }
        }
        if (moving && wanted.filter((index) => !this.drawn.has(index)).length > mostAddedMoving) {
            return;
        }
        wanted.sort((a, b) => a - b);
        this.drawMaps(wanted);
        this.drawLinks(overview ? [] : this.parts.linksIn(area));
        this.overview = overview ? {area, maps: inside} : null;
        this.drawOverview();
        this.drawnArea = area;
        this.markChoice(false);
    }

    // The maps wanted, in the order of the world's: those drawn already stay as they are.
    drawMaps(wanted) {
        const adding = wanted.filter((index) => !this.drawn.has(index));
        const keep = new Set(wanted);
        for (const [index, element] of this.drawn) {
            if (!keep.has(index)) {
                element.remove();
                this.drawn.delete(index);
            }
        }
        if (!adding.length) {
            return;
        }
        const made = document.createElementNS(svgNamespace, "g");
        made.innerHTML = adding.map((index) => this.parts.mapLine(index)).join("");
        const elements = Array.from(made.children);
        const total = String(this.rects.length);
        adding.forEach((index, at) => {
            const element = elements[at];
            const map = this.store.world.maps[index];
            element.setAttribute("role", "option");
            element.setAttribute("tabindex", "-1");
            element.setAttribute("aria-selected", "false");
            element.setAttribute("aria-setsize", total);
            element.setAttribute("aria-posinset", String(index + 1));
            element.setAttribute("aria-label", describe(map, this.findingsOf.get(map.name) || []));
            const rect = this.rects[index];
            const written = this.parts.rects[index];
            if (rect.x !== written.x || rect.y !== written.y) { // a new map where the page put it
                element.setAttribute("transform", `translate(${rect.x - written.x} ${rect.y - written.y})`);
            }
            this.writeName(index, element);
            this.drawn.set(index, element);
        });
        // In the world's order: each new one before the first drawn that comes after it.
        let next = this.mapLayer.firstElementChild;
        for (const [at, index] of adding.entries()) {
            while (next && Number(next.dataset.map) < index) {
                next = next.nextElementSibling;
            }
            this.mapLayer.insertBefore(elements[at], next);
        }
    }

    // The links of these indices into the picture's.
    drawLinks(links) {
        this.linkLayer.innerHTML = links.map((link) => this.parts.linkLine(link)).join("");
        this.linkShapes = null;
        this.drawnLinks = links;
    }

    // The boxes of many maps, in the part drawn, as one picture drawn fast at any number, at the
    // scale of the view, those of maps with findings in red; the chosen map's drawn on it, in
    // the list of maps.
    drawOverview() {
        if (!this.overview) {
            if (this.canvas) {
                this.canvas.remove();
            }
            return;
        }
        const {area, maps} = this.overview;
        const scale = Math.min(this.scale * devicePixelRatio, 4096 / area.width, 4096 / area.height);
        if (!this.canvas) {
            this.canvas = document.createElement("canvas");
            this.canvas.className = "overview";
            this.canvas.setAttribute("aria-hidden", "true");
        }
        const canvas = this.canvas;
        [canvas.width, canvas.height] = [Math.ceil(area.width * scale), Math.ceil(area.height * scale)];
        Object.assign(canvas.style, {left: `${area.x}px`, top: `${area.y}px`, width: `${area.width}px`,
                                     height: `${area.height}px`});
        const context = canvas.getContext("2d");
        context.setTransform(scale, 0, 0, scale, -area.x * scale, -area.y * scale);
        const chosen = this.store.chosenIndex();
        const names = this.names;
        for (const [faulty, colour] of [[false, "#9fb8dc"], [true, "#e07060"]]) { // faults on top
            context.fillStyle = colour;
            for (const index of maps) {
                if (index !== chosen && this.findingsOf.has(names[index]) === faulty) {
                    const r = this.rects[index];
                    context.fillRect(r.x, r.y, r.width, r.height);
                }
            }
        }
        if (canvas.parentNode !== this.stage) {
            this.stage.append(canvas);
        }
    }

    // Names are written at the picture's size where that is read at 11 pixels or more on the
    // screen, else larger; and hidden where the box is not that tall on the screen.
    writeNamesFor(k) {
        this.nameScale = k;
        this.nameSize = Math.max(nameSize, leastNameSize / k);
        if (this.svg) {
            this.svg.style.setProperty("--name-size", `${this.nameSize}px`);
            this.svg.classList.toggle("names-hidden", this.nameSize > (this.parts.cell.height || 56) - 6);
        }
    }

    // A map's name, cut with an ellipsis to what its box holds at the names' size.
    writeName(index, element) {
        const text = element.querySelector(":scope > text.name");
        if (!text) {
            return;
        }
        const name = this.names[index];
        const room = (this.rects[index].width - 12) * nameSize / this.nameSize;
        const fitted = fitText(name, room, (part) => this.widthOf(part));
        if (text.textContent !== fitted) {
            text.textContent = fitted;
        }
    }

    // A text's width at the picture's size of names, in its units.
    widthOf(text) {
        let width = this.widths.get(text);
        if (width === undefined) {
            width = this.measure(text);
            if (this.widths.size > 100000) {
                this.widths.clear();
            }
            this.widths.set(text, width);
        }
        return width;
    }

    // The links drawn, as {map, direction, points, mark}, for hit-testing.
    links() {
        if (!this.linkShapes) {
            this.linkShapes = (this.drawnLinks || []).map((link) => {
                const {map, direction, d, mark} = this.parts.link(link);
                return {map, direction, points: pathPoints(d), mark};
            });
        }
        return this.linkShapes;
    }

    // The chosen map's box, drawn if it is not, and the chosen link, marked.
    markChoice(focus) {
        if (!this.parts) {
            return;
        }
        const index = this.store.chosenIndex();
        if (index >= 0 && !this.drawn.has(index)) {
            this.drawMaps([...this.drawn.keys(), index].sort((a, b) => a - b));
        }
        this.markChosenMap(index, focus);
        this.markChosenLink();
    }

    markChosenMap(index, focus) {
        for (const box of this.mapLayer.querySelectorAll("g.map.selected")) {
            box.classList.remove("selected");
            box.setAttribute("aria-selected", "false");
        }
        const target = index >= 0 ? this.drawn.get(index) : this.mapLayer.firstElementChild;
        if (this.tabbable && this.tabbable !== target) {
            this.tabbable.setAttribute("tabindex", "-1");
        }
        if (target) {
            target.setAttribute("tabindex", "0"); // Tab reaches the maps here
        }
        this.tabbable = target || null;
        if (index >= 0) {
            target.classList.add("selected");
            target.setAttribute("aria-selected", "true");
            if (focus) {
                target.focus({preventScroll: true});
            }
        }
    }

    markChosenLink() {
        for (const element of this.linkLayer.querySelectorAll(".selected")) {
            element.classList.remove("selected");
        }
        const link = this.store.chosenLink;
        if (!link) {
            return;
        }
        const index = this.store.indexOf(link.map);
        const selector = `[data-map="${index}"][data-direction="${link.direction}"]`;
        let element = this.linkLayer.querySelector(
            `path.link${selector}, g.dangling${selector}, g.wrap${selector}`);
        if (!element) { // a link both ways is drawn once, from its other end
            const far = this.store.indexOf(this.store.world.maps[index][link.direction]);
            if (far >= 0) {
                element = this.linkLayer.querySelector(
                    `path.link[data-map="${far}"][data-direction="${opposite[link.direction]}"]`);
            }
        }
        if (element) {
            element.classList.add("selected");
        }
    }
}

// The width of a text in the picture's names' font, at their size.
function textMeasure() {
    const context = document.createElement("canvas").getContext("2d");
    context.font = `${nameSize}px sans-serif`;
    return (text) => context.measureText(text).width;
}
