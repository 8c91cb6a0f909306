// The picture's text as the server writes it (worldtool/picture/svgpicture.h), taken apart so
// that the page draws only what is in view: the picture without its maps and links (its frame:
// the legend, the findings below), each map's line with its box, and each link's line with the
// box that holds it. The page draws a world of 100,000 maps from this in well under a second,
// where parsing the whole picture would take many. Nothing here touches the page.

const linksOpen = '<g class="links">\n';
const mapsOpen = '<g class="maps">\n';
const close = "</g>\n";

// How far a link's text reaches beyond the points of its line: a dangling link's box and name,
// a wrap's name.
const reach = 130;

// The picture taken apart: `frame` the picture with its groups of maps and links empty (in
// their order: links under the maps, or over them where maps are drawn at their sizes), `size`
// its width and height, `cell` the box of a map laid out in cells and the distance between two
// cells ({width, height, pitchX, pitchY}), `rects` each map's own box by its index; each map's
// line and each link's line, and which links lie in an area. Lines are kept as where they are in the
// text, and the links' boxes in one array, as the page keeps hundreds of thousands of them.
// Throws where the text is not a picture of the world.
export class PictureText {
    constructor(text) {
        const linksAt = text.indexOf(linksOpen);
        const mapsAt = text.indexOf(mapsOpen);
        if (linksAt < 0 || mapsAt < 0) {
            throw new Error("The picture of the world has no maps.");
        }
        const linksFrom = linksAt + linksOpen.length;
        const mapsFrom = mapsAt + mapsOpen.length;
        const linksTo = lineStartingAt(text, close, linksFrom);
        const mapsTo = lineStartingAt(text, close, mapsFrom);
        const [first, second] = linksAt < mapsAt ? [[linksFrom, linksTo], [mapsFrom, mapsTo]]
                                                 : [[mapsFrom, mapsTo], [linksFrom, linksTo]];
        this.text = text;
        this.frame = text.slice(0, first[0]) + text.slice(first[1], second[0]) + text.slice(second[1]);
        const root = /<svg [^>]*>/.exec(text)[0];
        const number = (name) => Number((new RegExp(` ${name}="([^"]*)"`).exec(root) || [])[1]);
        this.size = {width: number("width"), height: number("height")};
        this.cell = {width: number("data-box-width"), height: number("data-box-height"),
                     pitchX: number("data-pitch-x"), pitchY: number("data-pitch-y")};
        this.mapLines = linesOf(text, mapsFrom, mapsTo);
        this.rects = [];
        for (let at = 0; at < this.mapLines.length; at += 2) {
            this.rects.push(boxOf(text, this.mapLines[at]));
        }
        this.linkLines = linesOf(text, linksFrom, linksTo);
        this.linkBoxes = new Float64Array(this.linkLines.length * 2);
        for (let at = 0; at < this.linkLines.length; at += 2) {
            linkBox(text, this.linkLines[at], this.linkLines[at + 1], this.linkBoxes, at * 2);
        }
    }

    mapLine(index) {
        return this.text.slice(this.mapLines[2 * index], this.mapLines[2 * index + 1]);
    }

    get linkCount() {
        return this.linkLines.length / 2;
    }

    // The links whose boxes lie in an area, even in part: their indices.
    linksIn(area) {
        const found = [];
        const boxes = this.linkBoxes;
        const [right, bottom] = [area.x + area.width, area.y + area.height];
        for (let at = 0; at < boxes.length; at += 4) {
            if (boxes[at] < right && area.x < boxes[at + 2] && boxes[at + 1] < bottom && area.y < boxes[at + 3]) {
                found.push(at / 4);
            }
        }
        return found;
    }

    linkLine(link) {
        return this.text.slice(this.linkLines[2 * link], this.linkLines[2 * link + 1]);
    }

    // A link as {map, direction, d, mark}: the map it leads from, its way, its path's d, and
    // whether it is a mark across the edge of two boxes that touch.
    link(link) {
        const line = this.linkLine(link);
        const owner = line.indexOf(' data-map="');
        const way = line.indexOf(' data-direction="', owner) + 17;
        const d = line.indexOf(' d="') + 4;
        return {map: numberAt(line, owner + 11), direction: line.slice(way, line.indexOf('"', way)),
                d: line.slice(d, line.indexOf('"', d)), mark: / class="link [^"]*\bmark\b/.test(line)};
    }
}

// Where the line that is just `line` starts, from `from` on.
function lineStartingAt(text, line, from) {
    let at = from;
    while (!text.startsWith(line, at)) {
        const end = text.indexOf("\n", at);
        if (end < 0) {
            throw new Error("The picture of the world ends early.");
        }
        at = end + 1;
    }
    return at;
}

// Where each line starts and ends (after its line feed), two numbers a line.
function linesOf(text, from, to) {
    const lines = [];
    for (let at = from; at < to;) {
        const end = text.indexOf("\n", at) + 1;
        lines.push(at, end);
        at = end;
    }
    return Uint32Array.from(lines);
}

// The number written at `at` in a line, as %g writes it, up to the first character that is
// not part of it; read without making strings, as there are a million of them.
function numberAt(line, at) {
    let sign = 1;
    if (line.charCodeAt(at) === 45) { // -
        sign = -1;
        ++at;
    }
    let value = 0;
    let scale = 0;
    for (;; ++at) {
        const c = line.charCodeAt(at);
        if (c >= 48 && c <= 57) {
            value = value * 10 + (c - 48);
            scale *= 10;
        } else if (c === 46 && scale === 0) { // .
            scale = 1;
        } else if (c === 101) { // e: rare, read the slow way
            let end = at + 1;
            while (/[-+0-9]/.test(line[end])) {
                ++end;
            }
            return sign * (scale ? value / scale : value) * 10 ** Number(line.slice(at + 1, end));
        } else {
            return sign * (scale ? value / scale : value);
        }
    }
}

function attribute(text, name, from) {
    const at = text.indexOf(` ${name}="`, from);
    return numberAt(text, at + name.length + 3);
}

// A map's box, from its line at `from`.
function boxOf(text, from) {
    const box = text.indexOf('<rect class="box"', from);
    return {x: attribute(text, "x", box), y: attribute(text, "y", box),
            width: attribute(text, "width", box), height: attribute(text, "height", box)};
}

// The box that holds a link's line from `from` to `to` (its path's points, and where it leads
// nowhere or around, its text beyond), into `boxes` at `at` as left, top, right, bottom.
function linkBox(text, from, to, boxes, at) {
    const dAt = text.indexOf(' d="', from) + 4;
    const dEnd = text.indexOf('"', dAt);
    let [left, top, right, bottom] = [Infinity, Infinity, -Infinity, -Infinity];
    // "Mx,y Lx,y…": each point after the M, then after each L.
    for (let point = dAt + 1; point < dEnd;) {
        const x = numberAt(text, point);
        const y = numberAt(text, text.indexOf(",", point) + 1);
        left = Math.min(left, x);
        top = Math.min(top, y);
        right = Math.max(right, x);
        bottom = Math.max(bottom, y);
        const next = text.indexOf(" L", point);
        point = next < 0 ? dEnd : next + 2;
    }
    const grow = text.startsWith("<path", from) ? 4 : reach; // a stub: its text beyond its line
    boxes[at] = left - grow;
    boxes[at + 1] = top - grow;
    boxes[at + 2] = right + grow;
    boxes[at + 3] = bottom + grow;
}
