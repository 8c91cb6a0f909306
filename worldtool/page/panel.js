// The panel of the chosen map: its four fields Up, Down, Left and Right as Tovren's window has
// them, saved with Enter or Save. Where another program saved the file meanwhile, the save keeps
// its changes and makes only the fields typed (saving.js); where both changed a field
// differently, the panel shows those fields, what the file holds beside what was typed, and
// the person chooses. Nothing typed is lost when the world changes meanwhile. Then Rename and
// Remove, across the whole world; below, what is wrong with the map.

import {changedFields, directions, mergeRecord, recordOf, shown, typedRecord} from "./edits.js";
import {fieldName, savedInWords} from "./words.js";

export class Panel {
    // `elements`: title, hint, form, save, revert, note, fields and cuts (each by direction),
    // conflict: {section, text, rows, mine, theirs}, findings: {section, list}, change: {form,
    // to, remove}. A conflict in the store is {base, typed, current, failure, clashes}: the
    // record the fields were filled from, the one typed, the file's now (null: it cannot be
    // loaded), and the fields both changed. `merge` shows a merge left unresolved in place of
    // the fields (mergechoice.js).
    constructor(elements, {store, saving, findings, merge}) {
        Object.assign(this, {elements, store, saving, findings, merge});
        this.hint = elements.hint.textContent;
        const {form, fields, cuts, revert, conflict, change} = elements;
        change.form.addEventListener("submit", async (event) => {
            event.preventDefault();
            if (await saving.change(store.chosen, change.to.value)) {
                change.to.value = "";
            }
        });
        change.remove.addEventListener("click", () => saving.change(store.chosen));
        for (const direction of directions) {
            fields[direction].addEventListener("input", () => this.markChanges());
            fields[direction].addEventListener("keydown", (event) => {
                if (event.key === "Escape") {
                    fields[direction].value = shown(store.panel.baseline[direction]);
                    this.markChanges();
                }
            });
            cuts[direction].addEventListener("click", () => saving.cut(store.chosen, direction));
        }
        form.addEventListener("submit", (event) => {
            event.preventDefault();
            this.save();
        });
        revert.addEventListener("click", () => this.fillAgain());
        conflict.mine.addEventListener("click", () => this.saveOverConflict());
        conflict.theirs.addEventListener("click", () => this.takeTheirs());
        store.on("world", () => this.show());
        store.on("choice", () => this.show());
    }

    focus() {
        if (!this.merge.focus()) {
            this.elements.fields.up.focus();
        }
    }

    values() {
        const values = {};
        for (const direction of directions) {
            values[direction] = this.elements.fields[direction].value;
        }
        return values;
    }

    changed() {
        const panel = this.store.panel;
        return panel && panel.baseline ? changedFields(panel.baseline, this.values()) : [];
    }

    show() {
        const {store, elements} = this;
        const index = store.chosenIndex();
        elements.hint.hidden = index >= 0;
        elements.form.hidden = this.merge.show(index < 0 ? null : store.world.maps[index]) || index < 0;
        // A map of another folder, which a text leads into, is renamed or removed from its own.
        elements.change.form.hidden = index < 0 || /[\\/]/.test(store.world.maps[index].name);
        if (index < 0) {
            elements.title.textContent = "No map chosen";
            elements.hint.textContent = store.world && !store.world.maps.length
                ? "This folder holds no link file yet: make its first map with New map above."
                : this.hint;
            for (const hidden of [elements.findings.section, elements.conflict.section, elements.note]) {
                hidden.hidden = true;
            }
            store.panel = null;
            return;
        }
        const map = store.world.maps[index];
        elements.title.textContent = map.name === "" ? "The map with no name (.link)" : map.name;
        const record = recordOf(map);
        // A map the editor does not write is shown, saying why, and not changed here.
        const readOnly = (store.world.readOnly || []).find((entry) => entry.map === map.name);
        const writable = !!record && !readOnly && !store.world.gone;
        const typing = store.panel && store.panel.name === map.name && this.changed().length > 0;
        if (!typing) {
            store.panel = {name: map.name, baseline: record};
            for (const direction of directions) {
                elements.fields[direction].value = record ? shown(record[direction]) : "";
            }
            elements.note.textContent = readOnly ? readOnly.why : "";
            elements.note.hidden = !readOnly;
        } else if (JSON.stringify(record) !== JSON.stringify(store.panel.baseline)) {
            // What was typed stays; a save will show both.
            elements.note.textContent = `${map.name}'s file changed meanwhile. What you typed is ` +
                "kept: Save keeps the other changes too, and asks where both changed a field.";
            elements.note.hidden = false;
        }
        const link = store.chosenLink;
        for (const direction of directions) {
            elements.fields[direction].disabled = !writable;
            elements.fields[direction].closest(".field").classList.toggle(
                "chosen", !!link && link.map === map.name && link.direction === direction);
            elements.cuts[direction].disabled = !writable || record[direction] === "";
        }
        elements.save.disabled = !writable;
        elements.revert.disabled = !writable;
        this.markChanges();
        this.showConflict();
        const findings = store.world.findings.filter((f) => f.map === map.name);
        elements.findings.section.hidden = findings.length === 0;
        elements.findings.list.replaceChildren(...findings.map((f) => this.findings.item(f, false)));
    }

    // The fields filled again from what the file holds.
    fillAgain() {
        this.store.conflict = null;
        this.store.panel = null;
        this.show();
    }

    markChanges() {
        const changed = this.changed();
        const clashes = this.store.conflict ? this.store.conflict.clashes : [];
        for (const direction of directions) {
            const row = this.elements.fields[direction].closest(".field");
            row.classList.toggle("changed", changed.includes(direction));
            row.classList.toggle("clash", clashes.includes(direction));
        }
    }

    fill(record) {
        for (const direction of directions) {
            this.elements.fields[direction].value = shown(record[direction]);
        }
    }

    // Saves the fields typed. Saved, the fields show what the file holds now; refused where
    // both changed a field, the conflict is shown.
    async save() {
        const store = this.store;
        const {name, baseline} = store.panel;
        const values = this.values();
        const typed = typedRecord(baseline, values);
        const label = savedInWords(name, changedFields(baseline, values));
        await this.saved(await this.saving.save([{map: name, expect: baseline, links: typed}], label,
                                                {quiet: true, own: name}), baseline, typed);
    }

    async saved(answer, base, typed) {
        const store = this.store;
        const name = store.panel.name;
        if (answer.status === 409 && answer.data.conflicts) {
            const {current, failure} = answer.data.conflicts[0];
            const clashes = current ? answer.rebased.clashes.map((clash) => clash.direction)
                                    : changedFields(base, typed);
            store.conflict = {base, typed, current, failure, clashes};
            this.showConflict();
            this.markChanges();
            store.tell(current ? `Nothing was saved: another program changed ${name}'s ` +
                                 `${clashes.map(fieldName).join(", ")} too.` : answer.data.error, true);
        } else if (answer.status === 200) {
            const saved = answer.saves[0].links;
            store.conflict = null;
            store.panel = {name, baseline: saved};
            this.fill(saved);
            this.showConflict();
            this.markChanges();
        }
    }

    // Save mine: the fields typed, over what the file holds now; the other program's changes to
    // other fields stay.
    async saveOverConflict() {
        const store = this.store;
        const {base, typed, current} = store.conflict;
        const {merged} = mergeRecord(base, typed, current);
        store.panel = {name: store.panel.name, baseline: current};
        const label = savedInWords(store.panel.name, changedFields(current, merged));
        await this.saved(await this.saving.save([{map: store.panel.name, expect: current, links: merged}],
                                                label, {quiet: true, own: store.panel.name}),
                         current, merged);
    }

    // Take the file's: the fields both changed take what the file holds; the other fields
    // typed stay typed, to be saved.
    takeTheirs() {
        const store = this.store;
        const {base, typed, current, clashes} = store.conflict;
        const {merged} = mergeRecord(base, typed, current);
        for (const direction of clashes) {
            merged[direction] = current[direction];
        }
        store.conflict = null;
        store.panel = {name: store.panel.name, baseline: current};
        this.fill(merged);
        this.showConflict();
        this.markChanges();
        store.tell(this.changed().length ? "What the file holds is in those fields; your other changes are still to save."
                                         : "What the file holds is in the fields.");
    }

    // The fields both changed, marked, with what the file holds and what was typed.
    showConflict() {
        const {conflict, panel} = this.store;
        const {section, text, rows, mine} = this.elements.conflict;
        section.hidden = !conflict || !panel;
        if (section.hidden) {
            return;
        }
        this.elements.note.hidden = true; // the conflict says it all
        text.textContent = conflict.current
            ? `Another program saved ${panel.name} since the page read it, and changed these ` +
              "fields too. Nothing was saved. Save mine keeps its changes to the other fields."
            : `${panel.name} cannot be loaded now${conflict.failure ? `: ${conflict.failure}` : ""}. ` +
              "Nothing was saved.";
        rows.replaceChildren(...conflict.clashes.map((direction) => {
            const row = document.createElement("tr");
            row.className = "clash";
            const name = document.createElement("th");
            name.scope = "row";
            name.textContent = fieldName(direction);
            const theirs = document.createElement("td");
            theirs.textContent = conflict.current ? shown(conflict.current[direction]) : "";
            const typed = document.createElement("td");
            typed.textContent = shown(conflict.typed[direction]);
            row.append(name, theirs, typed);
            return row;
        }));
        mine.disabled = !conflict.current;
    }
}
