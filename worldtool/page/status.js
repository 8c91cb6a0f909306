// What the page says to the person: the status line, which shows what the store tells, and a
// question asked in a dialog before an edit replaces something, or renames or removes a map.

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
    constructor({dialog, text, list, yes, no}) {
        Object.assign(this, {dialog, text, list, yes, no});
    }

    get open() {
        return this.dialog.open;
    }

    // True where the person answers yes (the button says `yes`); the dialog starts on no. `items`:
    // what it would do, listed under the question.
    async ask(question, {yes = "Replace", items = []} = {}) {
        this.text.textContent = question;
        this.yes.textContent = yes;
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
        return this.dialog.returnValue === "yes";
    }
}
