// Where things lie on the picture, in the picture's own units: a map's box as {x, y, width,
// height}, a point as {x, y}, a view of the picture as d3-zoom's {x, y, k} (a picture point p is
// seen at p * k + (x, y)). Nothing here touches the page.

const steps = {up: [0, -1], down: [0, 1], left: [-1, 0], right: [1, 0]};

// The map the arrow keys lead to from map `index`: the map its link that way leads to, else the
// nearest box that way, where lying aside counts double; null where none lies that way. `maps`
// are the world's, `byName` their indices by name, `rects` their boxes.
export function neighbourOf({maps, byName, rects}, index, direction) {
    const linked = byName.get(maps[index][direction]);
    if (maps[index][direction] && linked !== undefined) {
        return linked;
    }
    const from = rects[index];
    const [sx, sy] = steps[direction];
    let best = null;
    let bestScore = Infinity;
    rects.forEach((rect, other) => {
        const dx = rect.x - from.x;
        const dy = rect.y - from.y;
        const ahead = dx * sx + dy * sy;
        if (other === index || ahead <= 0) {
            return;
        }
        const score = ahead + 2 * (Math.abs(dx * sy) + Math.abs(dy * sx));
        if (score < bestScore) {
            bestScore = score;
            best = other;
        }
    });
    return best;
}

// The side of a box a point lies towards, measured from its middle in its own proportions.
export function sideOf(rect, point) {
    const dx = (point.x - (rect.x + rect.width / 2)) / rect.width;
    const dy = (point.y - (rect.y + rect.height / 2)) / rect.height;
    return Math.abs(dx) > Math.abs(dy) ? (dx > 0 ? "right" : "left") : (dy > 0 ? "down" : "up");
}

// Where map `from`, dragged to a point, would be dropped: on a side of the last other box
// within `reach` of the point ({target, side}), on its middle (side null: a drop there links
// nothing, as it could mean any side), or nowhere (null). The middle is the inner half of the
// box each way.
export function dropAt(rects, from, point, reach = 20) {
    let drop = null;
    rects.forEach((rect, index) => {
        if (index !== from && point.x >= rect.x - reach && point.x <= rect.x + rect.width + reach &&
            point.y >= rect.y - reach && point.y <= rect.y + rect.height + reach) {
            const middle = Math.abs(point.x - (rect.x + rect.width / 2)) < rect.width / 4 &&
                           Math.abs(point.y - (rect.y + rect.height / 2)) < rect.height / 4;
            drop = {target: index, side: middle ? null : sideOf(rect, point)};
        }
    });
    return drop;
}

// The two ends of one side of a box.
export function sideEnds(rect, side) {
    const right = rect.x + rect.width;
    const bottom = rect.y + rect.height;
    return {up: [[rect.x, rect.y], [right, rect.y]], down: [[rect.x, bottom], [right, bottom]],
            left: [[rect.x, rect.y], [rect.x, bottom]], right: [[right, rect.y], [right, bottom]]}[side];
}

// The points of a link's path as the picture writes it: "Mx,y Lx,y Lx,y…", in absolute numbers.
export function pathPoints(d) {
    return d.trim().split(/\s*[ML]\s*/).filter((pair) => pair !== "")
        .map((pair) => pair.split(",").map(Number));
}

export function distanceToSegment(point, [ax, ay], [bx, by]) {
    const length = (bx - ax) ** 2 + (by - ay) ** 2;
    const along = length === 0 ? 0
        : Math.max(0, Math.min(1, ((point.x - ax) * (bx - ax) + (point.y - ay) * (by - ay)) / length));
    return Math.hypot(point.x - (ax + along * (bx - ax)), point.y - (ay + along * (by - ay)));
}

// The link nearest to a point, of links given as {points, …}, if one is nearer than `tolerance`.
export function linkAt(links, point, tolerance) {
    let best = null;
    let bestDistance = tolerance;
    for (const link of links) {
        for (let at = 1; at < link.points.length; ++at) {
            const distance = distanceToSegment(point, link.points[at - 1], link.points[at]);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = link;
            }
        }
    }
    return best;
}

// The view that shows a whole picture of this size in a viewport, centred, never enlarged.
export function fitted(size, viewport) {
    const k = Math.min(viewport.width / size.width, viewport.height / size.height, 1) * 0.98;
    return {x: (viewport.width - size.width * k) / 2, y: (viewport.height - size.height * k) / 2, k};
}

// The least scale at which the picture's names (13 px in its own units) are read on the screen
// at 11 px or more.
export const readable = 11 / 13;

// The view that brings a box into sight: none where it is whole in sight and its name can be
// read already, else the box in the middle, at a scale where its name can be read.
export function viewOnto(rect, view, viewport) {
    const left = rect.x * view.k + view.x;
    const top = rect.y * view.k + view.y;
    const inside = left >= 0 && top >= 0 && left + rect.width * view.k <= viewport.width &&
                   top + rect.height * view.k <= viewport.height;
    if (inside && view.k >= readable) {
        return null;
    }
    const k = Math.max(view.k, readable);
    return {x: viewport.width / 2 - (rect.x + rect.width / 2) * k,
            y: viewport.height / 2 - (rect.y + rect.height / 2) * k, k};
}

// The smallest box that holds all of these.
export function boundsOf(rects) {
    const left = Math.min(...rects.map((r) => r.x));
    const top = Math.min(...rects.map((r) => r.y));
    const right = Math.max(...rects.map((r) => r.x + r.width));
    const bottom = Math.max(...rects.map((r) => r.y + r.height));
    return {x: left, y: top, width: right - left, height: bottom - top};
}

// The view a world opens on: the region of the map `chosen` (an index, or -1), else the region
// of the most maps (the first of those), whole in the viewport if it fits at a scale where names
// can be read, else centred at that scale; the rest is reached by panning, or by fitting the
// whole world in. `regions` gives each map's region, `rects` its box.
export function firstView(regions, rects, chosen, viewport) {
    if (!rects.length) {
        return {x: 0, y: 0, k: 1};
    }
    let region = chosen >= 0 ? regions[chosen] : null;
    if (region === null) {
        const counts = new Map();
        for (const r of regions) {
            counts.set(r, (counts.get(r) || 0) + 1);
        }
        let most = 0;
        for (const [r, count] of counts) {
            if (count > most || (count === most && r < region)) {
                [region, most] = [r, count];
            }
        }
    }
    const area = boundsOf(rects.filter((_, index) => regions[index] === region));
    const margin = 40; // around the region, as around the picture
    const k = Math.max(readable, Math.min(1, (viewport.width - 2 * margin) / area.width,
                                          (viewport.height - 2 * margin) / area.height));
    return {x: viewport.width / 2 - (area.x + area.width / 2) * k,
            y: viewport.height / 2 - (area.y + area.height / 2) * k, k};
}

// The part of the picture a view shows of a viewport, in the picture's units.
export function seenArea(view, viewport) {
    return {x: -view.x / view.k, y: -view.y / view.k,
            width: viewport.width / view.k, height: viewport.height / view.k};
}

// An area grown by a share of its size on every side.
export function grown(area, share) {
    return {x: area.x - area.width * share, y: area.y - area.height * share,
            width: area.width * (1 + 2 * share), height: area.height * (1 + 2 * share)};
}

export function overlaps(a, b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

export function contains(outer, inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

// The indices of the boxes that lie in an area, even in part, in order.
export function inArea(rects, area) {
    const found = [];
    for (let index = 0; index < rects.length; ++index) {
        if (overlaps(rects[index], area)) {
            found.push(index);
        }
    }
    return found;
}

// Where a new map's box (of `size`) goes: beside the box `near` (the chosen map's, or null),
// right of it, then below, left and above, and then further out, ring by ring, a ring a step
// of the picture's distance between two cells (`pitch`, {x, y}) further; with no map chosen, in
// the middle of `area` (what the view shows). Never on another box (of `taken`); in the area
// where the nearest ring with room has room there, else beside it all the same.
export function placeNewMap(taken, near, area, size, pitch) {
    const start = near ? {x: near.x, y: near.y}
                       : {x: area.x + (area.width - size.width) / 2, y: area.y + (area.height - size.height) / 2};
    const reach = 51;
    const within = {x: start.x - reach * pitch.x, y: start.y - reach * pitch.y,
                    width: 2 * reach * pitch.x + size.width, height: 2 * reach * pitch.y + size.height};
    const others = taken.filter((rect) => overlaps(rect, within));
    const free = (spot) => !others.some((rect) => overlaps(rect, {...spot, ...size}));
    const inside = (spot) => contains(area, {...spot, ...size});
    for (let ring = near ? 1 : 0; ring < reach; ++ring) {
        const spots = [];
        for (let dy = -ring; dy <= ring; ++dy) {
            for (let dx = -ring; dx <= ring; ++dx) {
                if (Math.max(Math.abs(dx), Math.abs(dy)) === ring) {
                    spots.push({x: start.x + dx * pitch.x, y: start.y + dy * pitch.y,
                                order: ringOrder(dx, dy)});
                }
            }
        }
        spots.sort((a, b) => a.order - b.order);
        const room = spots.map(({x, y}) => ({x, y})).filter(free);
        if (room.length) {
            return room.find(inside) || room[0];
        }
    }
    return start;
}

// Within a ring of spots around a box: right first, then below, left, above, then the corners.
function ringOrder(dx, dy) {
    const straight = dx === 0 || dy === 0;
    const way = dx > 0 && dy === 0 ? 0 : dy > 0 && dx === 0 ? 1 : dx < 0 && dy === 0 ? 2 : 3;
    return (straight ? 0 : 10) + way + (Math.abs(dx) + Math.abs(dy)) / 100;
}

// The boxes with the new maps the page made where it put them: `placed` gives, by name, a map's
// place beside another map ({anchor, dx, dy}: its corner that far from the anchor's, wherever
// the layout puts the anchor) or on the picture ({x, y}, in a world that had no map), in the
// order they were made; `indexOf` a map's index by name (-1: none).
export function withPlaces(rects, indexOf, placed) {
    const placedRects = rects.slice();
    for (const [name, place] of placed) {
        const index = indexOf(name);
        const anchor = place.anchor === undefined ? -1 : indexOf(place.anchor);
        if (index < 0 || (place.anchor !== undefined && anchor < 0)) {
            continue;
        }
        const at = anchor < 0 ? place : {x: placedRects[anchor].x + place.dx, y: placedRects[anchor].y + place.dy};
        placedRects[index] = {...rects[index], x: at.x, y: at.y};
    }
    return placedRects;
}

// The index of the box whose middle is nearest to a point; -1 where there is none.
export function nearest(rects, point) {
    let best = -1;
    let bestDistance = Infinity;
    rects.forEach((rect, index) => {
        const distance = Math.hypot(rect.x + rect.width / 2 - point.x, rect.y + rect.height / 2 - point.y);
        if (distance < bestDistance) {
            [best, bestDistance] = [index, distance];
        }
    });
    return best;
}
