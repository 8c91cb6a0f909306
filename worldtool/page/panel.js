// The panel of the chosen map: its four fields Up, Down, Left and Right as Tovren's window has
// them, saved with Enter or Save only where the file still holds what the fields were filled
// from; a conflict shows what the file holds now beside what was typed, and nothing typed is
// lost when the world changes meanwhile. Then Rename and Remove, across the whole world; below,
// what is wrong with the map.

import {changedFields, directions, recordOf, shown, typedRecord} from "./edits.js";

export class Panel {
    // `elements`: title, hint, form, save, revert, note, fields and cuts (each by direction),
    // conflict: {section, text, rows, mine, theirs}, findings: {section, list}, change: {form,
    // to, remove}. `merge` shows a merge left unresolved in place of the fields (mergechoice.js).
    constructor(elements, {store, saving, findings, merge}) {
        Object.assign(this, {elements, store, saving, findings, merge});
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
            this.save(store.panel.baseline);
        });
        revert.addEventListener("click", () => this.fillAgain());
        conflict.mine.addEventListener("click", () => this.saveOverConflict());
        conflict.theirs.addEventListener("click", () => {
            this.fillAgain();
            store.tell("What the file holds is in the fields.");
        });
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
            elements.note.textContent =
                `${map.name}'s file changed meanwhile. What you typed is kept: Save shows both.`;
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
        for (const direction of directions) {
            const row = this.elements.fields[direction].closest(".field");
            row.classList.toggle("changed", changed.includes(direction));
        }
    }

    async save(expect) {
        const store = this.store;
        const name = store.panel.name;
        const typed = typedRecord(store.panel.baseline, this.values());
        const saves = [{map: name, expect, links: typed}];
        const answer = await this.saving.save(saves, `Saved ${name}.`, {quiet: true});
        if (answer.status === 409 && answer.data.conflicts) {
            const {current, failure} = answer.data.conflicts[0];
            store.conflict = {current, typed, failure};
            this.showConflict();
            store.tell(answer.data.error, true);
        } else if (answer.status === 200) {
            store.conflict = null;
            store.panel = {name, baseline: typed};
            this.showConflict();
            this.markChanges();
        }
    }

    // Over what the file holds now: the typed texts go in the fields, and are saved.
    saveOverConflict() {
        const store = this.store;
        const {current, typed} = store.conflict;
        store.panel = {name: store.panel.name, baseline: current};
        for (const direction of directions) {
            this.elements.fields[direction].value = shown(typed[direction]);
        }
        this.markChanges();
        this.save(current);
    }

    showConflict() {
        const {conflict, panel} = this.store;
        const {section, text, rows, mine} = this.elements.conflict;
        section.hidden = !conflict || !panel;
        if (section.hidden) {
            return;
        }
        text.textContent = conflict.current
            ? `Another program saved ${panel.name} since the page read it. Nothing was saved; both are here.`
            : `${panel.name} cannot be loaded now${conflict.failure ? `: ${conflict.failure}` : ""}. ` +
              "Nothing was saved.";
        rows.replaceChildren(...directions.map((direction) => {
            const row = document.createElement("tr");
            const name = document.createElement("th");
            name.scope = "row";
            name.textContent = direction[0].toUpperCase() + direction.slice(1);
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
