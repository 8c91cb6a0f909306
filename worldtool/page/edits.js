// The page's edits of the world, as the saves it sends: linking two maps, cutting a link, making
// a map, and each one's inverse, which undoes it. A save is {map, expect, links}: the map's name,
// the record its link file is expected to hold (null: a new map, whose file must not exist yet),
// and the record to save (null: its file is removed). A record is {up, down, left, right}.
// Nothing here touches the page.

export const directions = ["up", "down", "left", "right"];
export const opposite = {up: "down", down: "up", left: "right", right: "left"};

// A map's record as the world holds it, or null when its link file cannot be loaded.
export function recordOf(map) {
    if (!map || map.up === null) {
        return null;
    }
    return {up: map.up, down: map.down, left: map.left, right: map.right};
}

export function withText(record, direction, text) {
    return {...record, [direction]: text};
}

// Map a, dropped on the side `side` of another map b: b leads that way to a, and a leads back
// to b, in one save. `records` gives a map's record by name (null: it cannot be loaded). Returns the
// saves and what they would replace, as sentences to ask about first; or a refusal.
export function link(records, a, b, side) {
    const aRecord = records(a);
    const bRecord = records(b);
    if (!aRecord || !bRecord) {
        return {refusal: `${aRecord ? b : a}'s link file cannot be loaded, so it cannot be linked.`};
    }
    const back = opposite[side];
    const replaced = [];
    if (bRecord[side] !== "" && bRecord[side] !== a) {
        replaced.push(`${b} leads ${side} to ${bRecord[side]}`);
    }
    if (aRecord[back] !== "" && aRecord[back] !== b) {
        replaced.push(`${a} leads ${back} to ${aRecord[back]}`);
    }
    return {saves: [{map: b, expect: bRecord, links: withText(bRecord, side, a)},
                    {map: a, expect: aRecord, links: withText(aRecord, back, b)}],
            replaced, label: `Linked ${a} ${side} of ${b}.`};
}

// A link cut: both fields where it leads there and back, else the one. Null where the field
// leads nowhere or the map cannot be loaded.
export function cut(records, name, direction) {
    const record = records(name);
    if (!record || record[direction] === "") {
        return null;
    }
    const target = record[direction];
    const back = opposite[direction];
    const saves = [{map: name, expect: record, links: withText(record, direction, "")}];
    const far = records(target);
    if (far && far[back] === name && target !== name) {
        saves.push({map: target, expect: far, links: withText(far, back, "")});
    }
    return {saves, label: `Cut the link ${direction} from ${name} to ${target}.`};
}

// A new map: a link file of four empty lines, which must not exist yet.
export function newMap(name) {
    return {saves: [{map: name, expect: null, links: {up: "", down: "", left: "", right: ""}}],
            label: `Made the map ${name}.`};
}

// The saves that take these back, each only where its file still holds what they wrote.
export function inverse(saves) {
    return saves.map((save) => ({map: save.map, expect: save.links, links: save.expect}));
}

// What the page keeps to undo and redo: the request that takes an edit back and the one that
// makes it again ({path, body}), each refused by the server where a file no longer holds what
// the edit left there.
export function savesHistory(label, saves) {
    return {label, undo: {path: "api/save", body: {saves: inverse(saves)}},
            redo: {path: "api/save", body: {saves}}};
}

// A map renamed or removed across the world, as the server planned it (api/rename or api/remove
// with expect null): {map, to (a rename's new name), files: [{from, to}], saves, expect}: the
// saves of the maps whose fields change (a renamed map's own under its new name), and what each
// file the change touches holds, by map name. A rename is undone by renaming back; a removal by
// making the map again and putting back every field it emptied.
export function changeHistory(plan, label) {
    if (plan.to !== undefined) {
        const after = {[plan.to]: plan.expect[plan.map]};
        for (const save of plan.saves) {
            after[save.map] = save.links;
        }
        return {label, undo: {path: "api/rename", body: {map: plan.to, to: plan.map, expect: after}},
                redo: {path: "api/rename", body: {map: plan.map, to: plan.to, expect: plan.expect}}};
    }
    const remade = {map: plan.map, expect: null, links: plan.expect[plan.map]};
    return {label, undo: {path: "api/save", body: {saves: [remade, ...inverse(plan.saves)]}},
            redo: {path: "api/remove", body: {map: plan.map, expect: plan.expect}}};
}

// What saves changed, in words: "cave leads left to shore now."
export function changeInWords(saves) {
    const changes = [];
    for (const {map, expect, links} of saves) {
        for (const direction of directions) {
            if (expect && links && expect[direction] !== links[direction]) {
                changes.push(links[direction] === ""
                    ? `${map} leads nowhere ${direction} now.`
                    : `${map} leads ${direction} to ${links[direction]} now.`);
            }
        }
    }
    return changes.join(" ");
}

// A text as a field shows it: a line feed that Load read stands as a blank.
export const shown = (text) => text.replace(/\n/g, " ");

// The fields of the panel that differ from the record they were filled from.
export function changedFields(baseline, values) {
    return directions.filter((direction) => values[direction] !== shown(baseline[direction]));
}

// The record to save from the panel's fields: a field not changed keeps its text as the file
// holds it, a line feed included.
export function typedRecord(baseline, values) {
    const changed = changedFields(baseline, values);
    const record = {};
    for (const direction of directions) {
        record[direction] = changed.includes(direction) ? values[direction] : baseline[direction];
    }
    return record;
}
