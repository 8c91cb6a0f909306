// The page's saves: sent to the server, told in the status line, and kept to be undone and
// redone; the edits that make them (edits.js), asked about first where they replace a link; and
// a map's rename or removal across the world, shown whole and agreed to first.

import * as edits from "./edits.js";
import * as words from "./words.js";

export class Saving {
    // `ask(question, {yes, also, items})`: the person's answer, "yes", "also" or "no" (status.js).
    constructor(server, store, feed, ask) {
        this.server = server;
        this.store = store;
        this.feed = feed;
        this.ask = ask;
    }

    // Sends saves, tells what came of them, and on success keeps them to undo. Where a file
    // changed meanwhile (409), the saves are made again over what it holds now, keeping the other
    // program's changes (edits.rebase), unless both changed a field differently or the file
    // cannot be merged: that answer carries `rebased`, and is told here unless `quiet`. Returns
    // the server's last answer ({status: 0} where it did not answer) with the saves it answered
    // (`saves`). `history`: false where it is not to be undone; `merge`: false where only the
    // files as the page left them may take it; `own`: the map the label speaks of.
    async save(saves, label, {quiet = false, history = true, merge = true, own = null} = {}) {
        const started = performance.now();
        let kept = [];
        let answer;
        for (let attempt = 0; ; ++attempt) {
            answer = await this.post("api/save", {saves});
            if (answer.status !== 409 || !answer.data.conflicts || !merge) {
                break;
            }
            answer.rebased = edits.rebase(saves, answer.data.conflicts);
            if (answer.rebased.clashes.length || answer.rebased.lost.length || attempt === 3) {
                break;
            }
            const again = answer.rebased.kept;
            kept = [...kept.filter((k) => !again.some((a) => a.map === k.map && a.direction === k.direction)),
                    ...again];
            saves = answer.rebased.saves;
        }
        answer.saves = saves;
        const told = kept.length ? `${label.replace(/\.$/, "")}; ${words.keptInWords(kept, own)}.` : label;
        return this.told(answer, told, {started, quiet, own,
                                        entry: history ? edits.savesHistory(label, saves) : null});
    }

    // Sends a change of the world ({path, body}), tells what came of it, and on success keeps
    // `entry` to undo. `quiet`: a conflict (409) is left to the caller to tell.
    async send({path, body}, label, {quiet = false, entry = null} = {}) {
        const started = performance.now();
        return this.told(await this.post(path, body), label, {started, quiet, entry});
    }

    // The server's answer to a POST; {status: 0}, told, where it did not answer.
    async post(path, body) {
        try {
            return await this.server.ask("POST", path, body);
        } catch (error) {
            this.store.tell(error.message, true);
            return {status: 0};
        }
    }

    // Tells what came of a change sent at `started`, and keeps `entry` to undo where it was made.
    told(answer, label, {started, quiet, own = null, entry}) {
        const store = this.store;
        if (answer.status === 0) {
            return answer;
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
        } else if (answer.rebased && !quiet) {
            store.tell(words.refusedInWords(answer.rebased, own), true);
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

    // Map `from` dropped onto the side `side` of map `to` (indices): the two linked there. Where
    // that replaces a link, the person is asked first, and where the far end of a replaced link
    // leads back, offered to cut that too, so that it is not left one-way.
    async link(from, to, side) {
        const store = this.store;
        const [a, b] = [store.world.maps[from].name, store.world.maps[to].name];
        const edit = edits.link((name) => store.recordOf(name), a, b, side);
        if (edit.refusal) {
            store.tell(edit.refusal, true);
            return;
        }
        let {saves, label} = edit;
        if (edit.replaced.length) {
            const stranded = edit.stranded.length ? ` ${words.strandedInWords(edit.stranded)}.` : "";
            const cut = edit.stranded.map((s) => `${s.map}'s`).join(" and ");
            const answer = await this.ask(
                `${edit.replaced.join(", and ")}.${stranded} Link ${a} ${edits.beside[side]} ${b} instead?`,
                {also: edit.stranded.length ? `Replace, and cut ${cut} too` : null});
            if (answer === "no") {
                store.tell("Nothing was linked.");
                return;
            }
            if (answer === "also") {
                saves = edit.cutting;
                label = `${label.replace(/\.$/, "")}; ${edit.stranded.map(
                    (s) => `${s.map}'s link ${s.direction} to ${s.to} cut`).join("; ")}.`;
            }
        }
        store.pendingChoice = a;
        store.steady = b;
        await this.save(saves, label);
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
        if ((await this.ask(question, {yes: renaming ? "Rename" : "Remove", items: words.changeLines(plan)})) !== "yes") {
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

    // Makes a map and chooses it, in view (at `place`, beside a map or on the picture, as
    // geometry.withPlaces takes it: where it is shown until a link gives it a place of its own). A name that is a map's already
    // chooses that map; one that differs from a map's only in letter case or blanks around it is
    // asked about first, and refused where names that differ in letter case name one file.
    // True where the name may be cleared: the map was made, or is there.
    async makeMap(name, place) {
        const store = this.store;
        const same = store.indexOf(name);
        if (same >= 0) {
            store.choose(same);
            store.tell(`${name} is a map of the world already: it is chosen.`);
            return true;
        }
        const like = words.resembling(store.world.maps, name);
        if (like !== null && store.world.namesIgnoreCase && like.toUpperCase() === name.toUpperCase()) {
            store.choose(store.indexOf(like));
            store.tell(`${name} would be the link file of ${like}, as this system does not tell ` +
                       `letter case apart in file names: nothing was made, and ${like} is chosen.`, true);
            return false;
        }
        if (like !== null && (await this.ask(
            `"${name}" differs from the map ${like} only in letter case or blanks around it. ` +
            `Make "${name}" all the same?`, {yes: "Make it"})) !== "yes") {
            store.tell("Nothing was made.");
            return false;
        }
        const edit = edits.newMap(name);
        const answer = await this.save(edit.saves, edit.label, {quiet: true});
        if (answer.status === 409) { // made meanwhile, by another program
            store.pendingChoice = name;
            store.tell(`A link file named ${name} was made meanwhile: nothing was made, and that map is chosen.`);
            await this.feed.refresh();
            return true;
        }
        if (answer.status !== 200) {
            return false;
        }
        store.placed.set(name, place);
        store.steady = place.anchor === undefined ? null : place.anchor;
        store.pendingChoice = name;
        await this.feed.refresh();
        return true;
    }
}
