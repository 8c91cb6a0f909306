// The page's saves: sent to the server, told in the status line, and kept to be undone and
// redone; and the edits that make them (edits.js), asked about first where they replace a link.

import * as edits from "./edits.js";
import * as words from "./words.js";

export class Saving {
    // `ask(question, {yes, also})`: the person's answer, "yes", "also" or "no" (status.js).
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
    // (`saves`). `history`: false for an undo or redo, which only the files as the page left
    // them may take (`merge`: false); `own`: the map the label speaks of.
    async save(saves, label, {quiet = false, history = true, merge = true, own = null} = {}) {
        const store = this.store;
        const started = performance.now();
        let kept = [];
        let answer;
        for (let attempt = 0; ; ++attempt) {
            try {
                answer = await this.server.ask("POST", "api/save", {saves});
            } catch (error) {
                store.tell(error.message, true);
                return {status: 0, saves};
            }
            if (answer.status !== 409 || !merge || attempt === 3) {
                break;
            }
            answer.rebased = edits.rebase(saves, answer.data.conflicts);
            if (answer.rebased.clashes.length || answer.rebased.lost.length) {
                break;
            }
            const again = answer.rebased.kept;
            kept = [...kept.filter((k) => !again.some((a) => a.map === k.map && a.direction === k.direction)),
                    ...again];
            saves = answer.rebased.saves;
        }
        answer.saves = saves;
        if (answer.status === 200) {
            store.heard(answer.data.version);
            if (history) {
                store.remember(label, saves);
            }
            store.tell(kept.length ? `${label.replace(/\.$/, "")}; ${words.keptInWords(kept, own)}.` : label);
            performance.measure("tovren-save", {start: started});
            this.feed.refresh();
        } else if (answer.status === 207) {
            store.tell(answer.data.error, true);
            this.feed.refresh();
        } else if (answer.rebased && !quiet) {
            store.tell(words.refusedInWords(answer.rebased, own), true);
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
                                       {history: false, quiet: true, merge: false});
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
