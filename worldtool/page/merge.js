// A map whose link file a merge left with git's markers in its four lines, as the world's document
// gives it: `merge` is {loaded, ours, theirs}, the four lines as the store loads them (markers and
// all) and the record each side gives (null where that side has fewer than four lines). A person
// chooses a side for each field the two differ on; the save writes the four fields so chosen,
// only where the file still holds the lines loaded. Nothing here touches the page.

import {directions} from "./edits.js";

// Each field as {direction, ours, theirs, conflict}: the text each side gives (null: that side
// gives no record), and whether there is a choice to make, which there is only where both sides
// give a text and the two differ.
export function mergeFields(merge) {
    return directions.map((direction) => {
        const ours = merge.ours ? merge.ours[direction] : null;
        const theirs = merge.theirs ? merge.theirs[direction] : null;
        return {direction, ours, theirs, conflict: ours !== null && theirs !== null && ours !== theirs};
    });
}

// The text a field takes: the side chosen (`pick`: "ours" or "theirs") where the two differ, else
// the one text given; null where nothing is chosen or neither side gives one.
export function textOf(field, pick) {
    if (field.conflict) {
        return pick === "ours" || pick === "theirs" ? field[pick] : null;
    }
    return field.ours !== null ? field.ours : field.theirs;
}

// The save that resolves the merge with the sides chosen (`picks`, by direction): {save}, or
// {missing} where some field has no text yet, its directions in order.
export function resolution(name, merge, picks) {
    const links = {};
    const missing = [];
    for (const field of mergeFields(merge)) {
        const text = textOf(field, picks[field.direction]);
        if (text === null) {
            missing.push(field.direction);
        } else {
            links[field.direction] = text;
        }
    }
    return missing.length ? {missing} : {save: {map: name, expect: merge.loaded, links}};
}

// "Up" of "up", "Ours" of "ours".
const capitalised = (word) => word[0].toUpperCase() + word.slice(1);

// Fields as the panel names them: "Up", "Up and Down", "Up, Down and Right".
export function listed(directionsListed) {
    const names = directionsListed.map(capitalised);
    return names.length > 1 ? `${names.slice(0, -1).join(", ")} and ${names.at(-1)}` : names.join("");
}

// What the panel says of the merge.
export function mergeInWords(name, merge) {
    const holds = `${name === "" ? "The map with no name" : name} holds an unresolved merge`;
    if (!merge.ours && !merge.theirs) {
        return `${holds}, and neither side has the four lines of a link file: mend it in a text editor.`;
    }
    if (!merge.ours || !merge.theirs) {
        const [short, whole] = merge.ours ? ["theirs", "ours"] : ["ours", "theirs"];
        return `${holds}. ${capitalised(short)} has fewer than four lines, so the fields are ${whole}: ` +
            "Save writes them.";
    }
    const conflicting = mergeFields(merge).filter((field) => field.conflict).map((f) => f.direction);
    if (!conflicting.length) {
        return `${holds}, but both sides agree on every field: Save writes them.`;
    }
    return `${holds}: ours and theirs differ on ${listed(conflicting)}. Choose a side ` +
        `${conflicting.length > 1 ? "for each" : "for it"}, then Save.`;
}
