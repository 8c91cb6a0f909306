// What the page says to the person: the status line, which shows what the store tells, and a
// question asked in a dialog before an edit replaces something or makes a map whose name is
// like another's.

export function showStatus(line, store) {
    store.on("status", ({text, failure}) => {
        line.textContent = text;
        line.classList.toggle("failure", failure);
    });
}

export class Question {
    constructor({dialog, text, yes, also, no}) {
        Object.assign(this, {dialog, text, yes, also, no});
    }

    get open() {
        return this.dialog.open;
    }

    // The answer: "yes", "also" (a second way to say yes, where offered), or "no" (also where
    // the dialog is closed otherwise); the dialog starts on no. `yes` and `also` name the
    // buttons.
    async ask(question, {yes = "Replace", also = null} = {}) {
        this.text.textContent = question;
        this.yes.textContent = yes;
        this.also.textContent = also || "";
        this.also.hidden = !also;
        this.dialog.returnValue = "";
        this.dialog.showModal();
        this.no.focus();
        await new Promise((resolve) => this.dialog.addEventListener("close", resolve, {once: true}));
        return this.dialog.returnValue || "no";
    }
}
