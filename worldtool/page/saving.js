// The page's saves: sent to the server, told in the status line, and kept to be undone and
// redone; the edits that make them (edits.js), asked about first where they replace a link; and
// a map's rename or removal across the world, shown whole and agreed to first.

import * as edits from "./edits.js";
import {changeLines} from "./words.js";

export class Saving {
    // `ask(question, {yes, items})`: true where the person agrees.
    constructor(server, store, feed, ask) {
        this.server = server;
        this.store = store;
        this.feed = feed;
        this.ask = ask;
    }

    // Sends saves, tells what came of them, and on success keeps them to undo. Returns the
    // server's answer ({status: 0} where it did not answer). `quiet`: a conflict (409) is left to
    // the caller to tell; `history`: false for an undo or redo.
    save(saves, label, {quiet = false, history = true} = {}) {
        return this.send({path: "api/save", body: {saves}}, label,
                         {quiet, entry: history ? edits.savesHistory(label, saves) : null});
    }

    // Sends a change of the world ({path, body}), tells what came of it, and on success keeps
    // `entry` to undo.
    async send({path, body}, label, {quiet = false, entry = null} = {}) {
        const store = this.store;
        const started = performance.now();
        let answer;
        try {
            answer = await this.server.ask("POST", path, body);
        } catch (error) {
            store.tell(error.message, true);
            return {status: 0};
        }
        if (answer.status === 200) {
            store.heard(answer.data.version);
            if (entry) {
                store.remember(entry);
            }
            store.tell(label);
            performance.measure("tovren-save", {start: started});
            this.feed.refresh();
        } else if (answer.status === 207) {
            store.tell(answer.data.error, true);
            this.feed.refresh();
        } else if (!quiet || answer.status !== 409 || !answer.data.conflicts) {
            store.tell((answer.data && answer.data.error) || "The editor's server could not save it.", true);
        }
        return answer;
    }

    // Takes the last edit back (undo) or makes it again (redo): only where every file still
    // holds what that edit left, which the server checks.
    async replay(backwards) {
        const store = this.store;
        const entry = (backwards ? store.done : store.undone).at(-1);
        if (!entry) {
            store.tell(`There is nothing to ${backwards ? "undo" : "redo"}.`);
            return;
        }
        const request = backwards ? entry.undo : entry.redo;
        const answer = await this.send(request, `${backwards ? "Undone" : "Redone"}: ${entry.label}`,
                                       {quiet: true});
        if (answer.status === 200) {
            store.replayed(backwards);
            if (request.path === "api/rename") {
                store.pendingChoice = request.body.to;
            }
        } else if (answer.status === 409 && answer.data.conflicts) {
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

    // Renames a map across the world (to: its new name) or, without one, removes it: the server
    // plans it, the person sees every field it changes and agrees, and it is done only where no
    // file changed meanwhile. True where it was done.
    async change(map, to) {
        const store = this.store;
        const path = to === undefined ? "api/remove" : "api/rename";
        let planned;
        try {
            planned = await this.server.ask("POST", path, {map, to, expect: null});
        } catch (error) {
            store.tell(error.message, true);
            return false;
        }
        if (planned.status !== 200) {
            store.tell((planned.data && planned.data.error) || "The editor's server could not plan it.", true);
            return false;
        }
        const plan = planned.data.plan;
        const renaming = to !== undefined;
        const label = renaming ? `Renamed ${map} to ${to}.` : `Removed ${map}.`;
        const question = `${renaming ? `Rename ${map} to ${to}` : `Remove ${map}`}? ` +
            (plan.saves.length ? "Every field that leads to it changes:" : "No field leads to it.");
        if (!(await this.ask(question, {yes: renaming ? "Rename" : "Remove", items: changeLines(plan)}))) {
            store.tell(renaming ? "Nothing was renamed." : "Nothing was removed.");
            return false;
        }
        const answer = await this.send({path, body: {map, to, expect: plan.expect}}, label,
                                       {quiet: true, entry: edits.changeHistory(plan, label)});
        if (answer.status === 409) {
            const changed = answer.data.conflicts.map((c) => c.map).join(", ");
            store.tell(`${changed} changed since it was planned. Nothing was changed.`, true);
        }
        if (answer.status !== 200) {
            return false;
        }
        if (renaming) {
            store.pendingChoice = to;
        }
        return true;
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
