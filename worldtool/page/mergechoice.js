// The chosen map's panel where its link file holds an unresolved merge (merge.js), in place of its
// fields: what the merge is, each field the two sides differ on as a choice of ours or theirs,
// each field they agree on as it is, and Save, which writes the four fields as Tovren's Done saves
// them, only where the file still holds the lines the page loaded.

import {shown} from "./edits.js";
import {listed, mergeFields, mergeInWords, resolution, textOf} from "./merge.js";

// A field's text as a choice shows it; an empty field says so.
function textElement(text) {
    const element = document.createElement(text === "" ? "em" : "span");
    element.className = "merge-text";
    element.textContent = text === "" ? "(empty)" : shown(text);
    return element;
}

export class MergeChoice {
    // `elements`: section, text, form, fields (where the choices go), save, and next: what takes
    // the keyboard's focus once the merge is resolved.
    constructor(elements, {store, saving, feed}) {
        Object.assign(this, {elements, store, saving, feed});
        this.shownFor = null; // the map and merge the choices were made for
        this.picks = {};      // "ours" or "theirs", by direction
        elements.form.addEventListener("submit", (event) => {
            event.preventDefault();
            this.save();
        });
    }

    // Shows the merge of the map (null: none chosen), where it has one; true where it does. The
    // sides chosen stay while the merge stays as it is.
    show(map) {
        const merge = map ? map.merge : null;
        this.elements.section.hidden = !merge;
        if (!merge) {
            this.shownFor = null;
            return false;
        }
        const key = JSON.stringify([map.name, merge]);
        if (key !== this.shownFor) {
            Object.assign(this, {shownFor: key, name: map.name, merge, picks: {}});
            this.build();
        }
        return true;
    }

    // The keyboard into the choices; false where none is shown.
    focus() {
        if (this.elements.section.hidden) {
            return false;
        }
        (this.elements.fields.querySelector("input") || this.elements.save).focus();
        return true;
    }

    build() {
        const {text, fields, save} = this.elements;
        const whole = this.merge.ours || this.merge.theirs;
        text.textContent = mergeInWords(this.name, this.merge);
        fields.replaceChildren(...(whole ? mergeFields(this.merge).map((f) => this.row(f)) : []));
        save.hidden = !whole;
    }

    row(field) {
        const name = listed([field.direction]);
        if (!field.conflict) {
            const row = document.createElement("p");
            row.className = "merge-agreed";
            const from = field.ours === null ? "theirs" : field.theirs === null ? "ours" : "both sides";
            row.append(`${name}: `, textElement(textOf(field)), ` (${from})`);
            return row;
        }
        const group = document.createElement("fieldset");
        const legend = document.createElement("legend");
        legend.textContent = name;
        group.append(legend);
        for (const side of ["ours", "theirs"]) {
            const choice = document.createElement("input");
            choice.type = "radio";
            choice.name = `merge-${field.direction}`;
            choice.value = side;
            choice.checked = this.picks[field.direction] === side;
            choice.addEventListener("change", () => {
                this.picks[field.direction] = side;
            });
            const label = document.createElement("label");
            label.append(choice, side === "ours" ? " Ours: " : " Theirs: ", textElement(field[side]));
            group.append(label);
        }
        return group;
    }

    async save() {
        const result = resolution(this.name, this.merge, this.picks);
        if (result.missing) {
            this.store.tell(`Choose ours or theirs for ${listed(result.missing)} first.`, true);
            this.elements.fields.querySelector(`input[name="merge-${result.missing[0]}"]`).focus();
            return;
        }
        // Only over the file as it was read: a merge is never folded into another change.
        const answer = await this.saving.save([result.save], `Resolved the merge in ${this.name}.`,
                                              {merge: false});
        if (answer.status === 200) {
            await this.feed.refresh();
            if (this.elements.section.hidden) {
                this.elements.next.focus();
            }
        }
    }
}
