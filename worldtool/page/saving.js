// The page's saves: sent to the server, told in the status line, and kept to be undone and
// redone; and the edits that make them (edits.js), asked about first where they replace a link.

import * as edits from "./edits.js";

export class Saving {
    // `ask(question)`: true where the person agrees.
    constructor(server, store, feed, ask) {
        this.server = server;
        this.store = store;
        this.feed = feed;
        this.ask = ask;
    }

    // Sends saves, tells what came of them, and on success keeps them to undo. Returns the
    // server's answer ({status: 0} where it did not answer). `quiet`: a conflict (409) is left to
    // the caller to tell; `history`: false for an undo or redo.
    async save(saves, label, {quiet = false, history = true} = {}) {
        const store = this.store;
        const started = performance.now();
        let answer;
        try {
            answer = await this.server.ask("POST", "api/save", {saves});
        } catch (error) {
            store.tell(error.message, true);
            return {status: 0};
        }
        if (answer.status === 200) {
            store.heard(answer.data.version);
            if (history) {
                store.remember(label, saves);
            }
            store.tell(label);
            performance.measure("tovren-save", {start: started});
            this.feed.refresh();
        } else if (answer.status === 207) {
            store.tell(answer.data.error, true);
            this.feed.refresh();
        } else if (!quiet || answer.status !== 409) {
            store.tell((answer.data && answer.data.error) || "The editor's server could not save it.", true);
        }
        return answer;
    }

    // Takes the last save back (undo) or makes it again (redo): only where every file still
    // holds what that save left, which the server checks.
    async replay(backwards) {
        const store = this.store;
        const entry = (backwards ? store.done : store.undone).at(-1);
        if (!entry) {
            store.tell(`There is nothing to ${backwards ? "undo" : "redo"}.`);
            return;
        }
        const saves = backwards ? edits.inverse(entry.saves) : entry.saves;
        const answer = await this.save(saves, `${backwards ? "Undone" : "Redone"}: ${entry.label}`,
                                       {history: false, quiet: true});
        if (answer.status === 200) {
            store.replayed(backwards);
        } else if (answer.status === 409) {
            const changed = answer.data.conflicts.map((c) => c.map).join(", ");
            store.tell(backwards
                ? `Not undone: ${changed} changed since the page saved it. Nothing was changed.`
                : `Not redone: ${changed} changed meanwhile. Nothing was changed.`, true);
        }
    }

    undo() {
        return this.replay(true);
    }

    redo() {
        return this.replay(false);
    }

    // Map `from` dropped onto the side `side` of map `to` (indices): the two linked there.
    async link(from, to, side) {
        const store = this.store;
        const [a, b] = [store.world.maps[from].name, store.world.maps[to].name];
        const edit = edits.link((name) => store.recordOf(name), a, b, side);
        if (edit.refusal) {
            store.tell(edit.refusal, true);
            return;
        }
        if (edit.replaced.length &&
            !(await this.ask(`${edit.replaced.join(", and ")}. Link ${a} ${side} of ${b} instead?`))) {
            store.tell("Nothing was linked.");
            return;
        }
        await this.save(edit.saves, edit.label);
        store.pendingChoice = a;
    }

    async cut(name, direction) {
        const edit = edits.cut((map) => this.store.recordOf(map), name, direction);
        if (edit) {
            this.store.chosenLink = null;
            await this.save(edit.saves, edit.label);
        }
    }

    // A finding's mend, as the server worked it out.
    mend(finding) {
        return this.save(finding.mend.saves, edits.changeInWords(finding.mend.saves));
    }

    // Makes a map and chooses it; true where it was made.
    async makeMap(name) {
        const edit = edits.newMap(name);
        const answer = await this.save(edit.saves, edit.label);
        if (answer.status !== 200) {
            return false;
        }
        this.store.pendingChoice = name;
        await this.feed.refresh();
        return true;
    }
}
