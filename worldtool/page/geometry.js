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
// within `reach` of the point, or nowhere (null).
export function dropAt(rects, from, point, reach = 20) {
    let drop = null;
    rects.forEach((rect, index) => {
        if (index !== from && point.x >= rect.x - reach && point.x <= rect.x + rect.width + reach &&
            point.y >= rect.y - reach && point.y <= rect.y + rect.height + reach) {
            drop = {target: index, side: sideOf(rect, point)};
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

// The view that brings a box into sight: none where it is whole in sight and large enough
// already, else the box in the middle, at least at scale 0.6.
export function viewOnto(rect, view, viewport) {
    const left = rect.x * view.k + view.x;
    const top = rect.y * view.k + view.y;
    const inside = left >= 0 && top >= 0 && left + rect.width * view.k <= viewport.width &&
                   top + rect.height * view.k <= viewport.height;
    if (inside && view.k >= 0.3) {
        return null;
    }
    const k = Math.max(view.k, 0.6);
    return {x: viewport.width / 2 - (rect.x + rect.width / 2) * k,
            y: viewport.height / 2 - (rect.y + rect.height / 2) * k, k};
}
