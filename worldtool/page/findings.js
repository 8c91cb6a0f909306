// The findings: the world's, as a list whose items choose their map, under a summary; each with
// the button of its mend where the server sends one (a one-way link made to lead back, a
// mistyped name replaced by the map's own).

import {findingLine, summary} from "./words.js";

export class Findings {
    constructor({summary, list}, {store, saving}) {
        Object.assign(this, {summaryLine: summary, list, store, saving});
        store.on("world", () => this.show());
    }

    show() {
        const world = this.store.world;
        this.summaryLine.textContent = summary(world);
        this.list.replaceChildren(...world.findings.map((f) => this.item(f, true)));
    }

    // A finding as an item of a list. In the list of the world's findings (`choosing`), choosing
    // one chooses its map; in the panel of a map, the map is chosen already.
    item(finding, choosing) {
        const item = document.createElement("li");
        const text = document.createElement(choosing ? "button" : "span");
        text.className = `finding ${finding.severity}`;
        text.textContent = findingLine(finding);
        if (choosing) {
            text.type = "button";
            text.addEventListener("click", () => this.choose(finding));
        }
        item.append(text);
        if (finding.mend) {
            const action = document.createElement("button");
            action.type = "button";
            action.className = "mend";
            action.textContent = finding.mend.label;
            action.setAttribute("aria-label", `${finding.mend.label}: ${finding.message}`);
            action.addEventListener("click", () => this.saving.mend(finding));
            item.append(action);
        }
        return item;
    }

    choose(finding) {
        const index = this.store.indexOf(finding.map);
        if (index >= 0) {
            const link = finding.direction ? {map: finding.map, direction: finding.direction} : null;
            this.store.choose(index, {focus: true, link});
        }
    }
}
