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

// Where a map lies beside another, as the page says it: "cave linked below town".
export const beside = {up: "above", down: "below", left: "left of", right: "right of"};

// The saves of several changes of fields, one per map, each from the record `records` gives.
class Changes {
    constructor(records) {
        this.records = records;
        this.byMap = new Map();
    }

    set(map, direction, text) {
        if (!this.byMap.has(map)) {
            const record = this.records(map);
            this.byMap.set(map, {map, expect: record, links: {...record}});
        }
        this.byMap.get(map).links[direction] = text;
    }

    // The saves as they stand: later changes do not change them.
    saves() {
        return Array.from(this.byMap.values(), (save) => ({...save, links: {...save.links}}));
    }
}

// Map a, dropped on the side `side` of another map b: b leads that way to a, and a leads back
// to b, in one save. `records` gives a map's record by name (null: it cannot be loaded). Returns
// the saves, what they would replace as sentences to ask about first, and the links that would
// be left leading into a map that no longer leads back (`stranded`, {map, direction, to}), with
// the saves that cut those too (`cutting`); or a refusal.
export function link(records, a, b, side) {
    const aRecord = records(a);
    const bRecord = records(b);
    if (!aRecord || !bRecord) {
        return {refusal: `${aRecord ? b : a}'s link file cannot be loaded, so it cannot be linked.`};
    }
    const back = opposite[side];
    const changes = new Changes(records);
    changes.set(b, side, a);
    changes.set(a, back, b);
    const replaced = [];
    const stranded = [];
    for (const [map, direction, to] of [[b, side, a], [a, back, b]]) {
        const old = records(map)[direction];
        if (old === "" || old === to) {
            continue;
        }
        replaced.push(`${map} leads ${direction} to ${old}`);
        const far = records(old);
        if (far && far[opposite[direction]] === map && old !== map) {
            stranded.push({map: old, direction: opposite[direction], to: map});
        }
    }
    const saves = changes.saves();
    for (const {map, direction} of stranded) {
        changes.set(map, direction, "");
    }
    return {saves, replaced, stranded, cutting: stranded.length ? changes.saves() : null,
            label: `${a} linked ${beside[side]} ${b}.`};
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

// A record changed by the page and by another program since the page read it, field by field:
// `base` as the page read it, `mine` as the page would save it, `theirs` as the file holds it
// now. A field only one side changed takes that side's text; a field both changed alike takes
// it; a field both changed differently is a clash, and takes mine. `kept`: the fields only the
// other program changed, whose texts the merged record keeps.
export function mergeRecord(base, mine, theirs) {
    const merged = {};
    const kept = [];
    const clashes = [];
    for (const direction of directions) {
        if (mine[direction] === base[direction]) {
            merged[direction] = theirs[direction];
            if (theirs[direction] !== base[direction]) {
                kept.push(direction);
            }
        } else {
            merged[direction] = mine[direction];
            if (theirs[direction] !== base[direction] && theirs[direction] !== mine[direction]) {
                clashes.push(direction);
            }
        }
    }
    return {merged, kept, clashes};
}

// Saves refused because files changed meanwhile, made again over what the files hold now
// (`conflicts` as the server tells them: {map, current, failure}). Each save keeps the other
// program's changes and makes only its own. Returns the saves to send (expecting what the files
// hold now), what was kept of the others' changes ({map, direction, text}), and what cannot be
// merged: `clashes`, fields both changed differently ({map, direction, mine, theirs}), and
// `lost`, maps whose files cannot be merged at all (made meanwhile, gone or unreadable).
export function rebase(saves, conflicts) {
    const current = new Map(conflicts.map((c) => [c.map, c]));
    const rebased = [];
    const kept = [];
    const clashes = [];
    const lost = [];
    for (const save of saves) {
        const conflict = current.get(save.map);
        if (!conflict) {
            rebased.push(save);
        } else if (!save.expect || !save.links || !conflict.current) {
            lost.push({map: save.map, failure: conflict.failure || null, exists: !!conflict.current});
        } else {
            const merge = mergeRecord(save.expect, save.links, conflict.current);
            rebased.push({map: save.map, expect: conflict.current, links: merge.merged});
            kept.push(...merge.kept.map((d) => ({map: save.map, direction: d, text: merge.merged[d]})));
            clashes.push(...merge.clashes.map((d) => ({map: save.map, direction: d,
                                                         mine: save.links[d],
                                                         theirs: conflict.current[d]})));
        }
    }
    return {saves: rebased, kept, clashes, lost};
}
