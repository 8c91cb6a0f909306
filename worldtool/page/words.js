// What the page says of the world: a map as a screen reader reads it, a finding as a line, the
// summary of the findings; and which maps a search for a name finds. Nothing here touches the
// page.

import {directions} from "./edits.js";

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
