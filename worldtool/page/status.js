// What the page says to the person: the status line, which shows what the store tells, and a
// question asked in a dialog before an edit replaces something, renames or removes a map, or
// makes a map whose name is like another's.

export function showStatus(line, store) {
    store.on("status", ({text, failure}) => {
        line.textContent = text;
        line.classList.toggle("failure", failure);
    });
    // A folder that has gone is told as long as it is gone, and its coming back once.
    let goneTold = false;
    store.on("shown", () => {
        const gone = store.world.gone;
        if (gone || goneTold) {
            store.tell(gone || "The folder is back.", !!gone);
            goneTold = !!gone;
        }
    });
}

export class Question {
    constructor({dialog, text, list, yes, also, no}) {
        Object.assign(this, {dialog, text, list, yes, also, no});
    }

    get open() {
        return this.dialog.open;
    }

    // The answer: "yes", "also" (a second way to say yes, where offered), or "no" (also where
    // the dialog is closed otherwise); the dialog starts on no. `yes` and `also` name the
    // buttons; `items`: what it would do, listed under the question.
    async ask(question, {yes = "Replace", also = null, items = []} = {}) {
        this.text.textContent = question;
        this.yes.textContent = yes;
        this.also.textContent = also || "";
        this.also.hidden = !also;
        this.list.replaceChildren(...items.map((item) => {
            const line = this.list.ownerDocument.createElement("li");
            line.textContent = item;
            return line;
        }));
        this.list.hidden = items.length === 0;
        this.dialog.returnValue = "";
        this.dialog.showModal();
        this.no.focus();
        await new Promise((resolve) => this.dialog.addEventListener("close", resolve, {once: true}));
        return this.dialog.returnValue || "no";
    }
}
