// What the page says to the person: the status line, which shows what the store tells, and a
// question asked in a dialog before an edit replaces something.

export function showStatus(line, store) {
    store.on("status", ({text, failure}) => {
        line.textContent = text;
        line.classList.toggle("failure", failure);
    });
}

export class Question {
    constructor({dialog, text, no}) {
        this.dialog = dialog;
        this.text = text;
        this.no = no;
    }

    get open() {
        return this.dialog.open;
    }

    // True where the person answers yes; the dialog starts on no.
    async ask(question) {
        this.text.textContent = question;
        this.dialog.returnValue = "";
        this.dialog.showModal();
        this.no.focus();
        await new Promise((resolve) => this.dialog.addEventListener("close", resolve, {once: true}));
        return this.dialog.returnValue === "yes";
    }
}
