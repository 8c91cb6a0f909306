// What the page says of the world: a map as a screen reader reads it, a finding as a line, the
// summary of the findings; and which maps a search for a name finds. Nothing here touches the
// page.

import {beside, directions} from "./edits.js";

// A map as a screen reader says it: its name first, then its links and what is wrong with it.
export function describe(map, findings) {
    const parts = [map.name === "" ? "the map with no name" : map.name];
    if (map.merge) {
        parts.push("its link file holds an unresolved merge");
    } else if (map.up === null) {
        parts.push("its link file cannot be loaded");
    } else {
        const leads = directions.filter((d) => map[d] !== "").map((d) => `${d} to ${map[d]}`);
        parts.push(leads.length ? `leads ${leads.join(", ")}` : "leads nowhere");
    }
    if (findings.length) {
        parts.push(findings.map((f) => `${f.severity}: ${f.message}`).join("; "));
    }
    return parts.join("; ");
}

export function findingLine(finding) {
    return `${finding.severity}: ${finding.kind}: ${finding.message}`;
}

// The findings of each map, by its name.
export function findingsByMap(findings) {
    const of = new Map();
    for (const finding of findings) {
        if (!of.has(finding.map)) {
            of.set(finding.map, []);
        }
        of.get(finding.map).push(finding);
    }
    return of;
}

// "9 maps: 2 errors, 1 warning".
export function summary(world) {
    const errors = world.findings.filter((f) => f.severity === "error").length;
    const warnings = world.findings.length - errors;
    const plural = (count, word) => `${count} ${word}${count === 1 ? "" : "s"}`;
    return `${plural(world.maps.length, "map")}: ${plural(errors, "error")}, ${plural(warnings, "warning")}`;
}

// The maps whose names hold the text wanted, letter case aside: the one of that very name first,
// then the others in the world's order. Indices into `maps`.
export function mapsMatching(maps, wanted) {
    const text = wanted.trim().toLowerCase();
    if (!text) {
        return [];
    }
    const matches = [];
    let exact = -1;
    maps.forEach((map, index) => {
        const name = map.name.toLowerCase();
        if (name === text && exact < 0) {
            exact = index;
        } else if (name.includes(text)) {
            matches.push(index);
        }
    });
    return exact >= 0 ? [exact, ...matches] : matches;
}

// A planned rename or removal (edits.js, changeHistory) as lines: each file that takes the new
// name, each field that changes, and the link file that goes.
export function changeLines(plan) {
    const lines = plan.files.map((file) => `${file.from} becomes ${file.to}`);
    for (const {map, expect, links} of plan.saves) {
        for (const direction of directions.filter((d) => expect[d] !== links[d])) {
            lines.push(links[direction] === ""
                ? `${map} no longer leads ${direction} to ${expect[direction]}`
                : `${map} leads ${direction} to ${links[direction]} instead of ${expect[direction]}`);
        }
    }
    if (plan.to === undefined) {
        lines.push(`${plan.map === "" ? "The map with no name" : plan.map}'s link file is removed`);
    }
    return lines;
}

// A field as the panel labels it: "Up".
export const fieldName = (direction) => direction[0].toUpperCase() + direction.slice(1);

// A field of a map, as a change names it: "Right" where the map is the one spoken of, else
// "Hub's Right".
const fieldOf = (map, direction, own) => (map === own ? "" : `${map}'s `) + fieldName(direction);

// "Saved Hub's Down and Right."; "Saved Hub." where no field changed.
export function savedInWords(map, changed) {
    const names = changed.map(fieldName);
    const list = names.length > 1 ? `${names.slice(0, -1).join(", ")} and ${names.at(-1)}` : names[0];
    return list ? `Saved ${map}'s ${list}.` : `Saved ${map}.`;
}

// What a save kept of another program's changes: "Right had been changed meanwhile to Route134,
// kept". `own`: the map the save is spoken of, whose fields need no name.
export function keptInWords(kept, own) {
    return kept.map(({map, direction, text}) => `${fieldOf(map, direction, own)} had been ` +
        (text === "" ? "emptied meanwhile, kept" : `changed meanwhile to ${text}, kept`)).join("; ");
}

// Fields changed by the page and by another program differently: "Hub's Left was changed
// meanwhile to West".
export function clashesInWords(clashes, own) {
    return clashes.map(({map, direction, theirs}) => `${fieldOf(map, direction, own)} was ` +
        (theirs === "" ? "emptied meanwhile" : `changed meanwhile to ${theirs}`)).join("; ");
}

// A link a change leaves leading into a map that no longer leads back.
export function strandedInWords(stranded) {
    return stranded.map(({map, direction, to}) =>
        `${map} would still lead ${direction} to ${to}, which would no longer lead back`).join("; ");
}

// What a drop of the map dragged would do there: `drop` is {target, side} (side null: the
// middle of the target), or null.
export function dropInWords(dragged, drop, target) {
    if (!drop) {
        return `Drop ${dragged} on a side of another map to link the two there.`;
    }
    if (!drop.side) {
        return `Drop ${dragged} on a side of ${target}, not its middle, to link the two there.`;
    }
    return `Drop: ${dragged} ${beside[drop.side]} ${target}`;
}

const toward = {up: "above", down: "below", left: "to the left", right: "to the right"};

// What an arrow key did from a map where it followed no link: `map` the map it was on, `next`
// the name of the nearest map that way, where it went (null: there is none).
export function arrowInWords(map, direction, next) {
    const text = map[direction] || "";
    if (next === null && text === "") {
        return `Nothing lies ${beside[direction]} ${map.name}.`;
    }
    const leads = map.up === null ? `${map.name}'s link file cannot be loaded`
        : text === "" ? `${map.name} leads nowhere ${direction}`
        : `${map.name} leads ${direction} to ${text}, which has no link file`;
    return next === null ? `${leads}; no map lies ${toward[direction]}.`
                         : `${leads}; ${next} is the nearest map ${toward[direction]}.`;
}

// Why saves merged with another program's changes were not made (edits.rebase's answer).
export function refusedInWords({clashes, lost}, own) {
    const why = lost.map(({map, exists, failure}) => exists ? `${map} was made meanwhile`
        : `${map} cannot be loaded now${failure ? `: ${failure}` : ""}`);
    if (clashes.length) {
        why.push(clashesInWords(clashes, own));
    }
    return `Nothing was saved: ${why.join("; ")}.`;
}

// A name as people mistype it, as the check takes it: blanks around it and letter case (of
// A to Z) do not count.
const looseName = (name) => name.replace(/^ +| +$/g, "").replace(/[A-Z]/g, (c) => c.toLowerCase());

// The name of a map that a new name differs from only in letter case or blanks around it; null
// where there is none, or a map has that very name.
export function resembling(maps, name) {
    const loose = looseName(name);
    let like = null;
    for (const map of maps) {
        if (map.name === name) {
            return null;
        }
        if (like === null && looseName(map.name) === loose) {
            like = map.name;
        }
    }
    return like;
}

// A text cut with an ellipsis to a width, as `widthOf` measures texts: as it is where it fits,
// else the most of its characters that fit with the ellipsis, else nothing.
export function fitText(text, width, widthOf) {
    if (widthOf(text) <= width) {
        return text;
    }
    const characters = Array.from(text);
    const cut = (count) => characters.slice(0, count).join("") + "\u2026";
    let [fits, fitsNot] = [0, characters.length];
    while (fitsNot - fits > 1) {
        const middle = Math.floor((fits + fitsNot) / 2);
        [fits, fitsNot] = widthOf(cut(middle)) <= width ? [middle, fitsNot] : [fits, middle];
    }
    return fits ? cut(fits) : "";
}
