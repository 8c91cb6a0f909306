// Talking to the editor's server (tovren-world edit): requests with the page's token, the world
// and its picture fetched as one version into the store, and the server's events, which tell of
// every change of the world on disk.

import {PictureText} from "./picturetext.js";

// The server's secret: from the address the page was opened at, then kept for the tab and taken
// out of the address bar, so that it is left in no history and a reload still works.
export function tokenOf(location, history, storage) {
    const given = new URLSearchParams(location.search).get("token");
    if (given) {
        storage.setItem("tovren-token", given);
        history.replaceState(null, "", location.pathname);
    }
    return storage.getItem("tovren-token") || "";
}

export class Server {
    constructor(token) {
        this.token = token;
    }

    // An answer as {status, data, text, version, names}: data is the JSON body (a body that is
    // not JSON as {error: text}), version the header Tovren-Version, names Tovren-Names. Throws
    // where the server does not answer at all.
    async ask(method, path, body) {
        const headers = {"Tovren-Token": this.token};
        if (body !== undefined) {
            headers["Content-Type"] = "application/json";
        }
        let response;
        try {
            response = await fetch(path, {method, headers, cache: "no-store",
                                          body: body === undefined ? undefined : JSON.stringify(body)});
        } catch (error) {
            throw new Error("The editor's server does not answer: has tovren-world ended?");
        }
        const text = await response.text();
        let data = null;
        try {
            data = text ? JSON.parse(text) : null;
        } catch (error) {
            data = {error: text};
        }
        return {status: response.status, data, text, version: Number(response.headers.get("Tovren-Version")),
                names: response.headers.get("Tovren-Names")};
    }

    // Server-sent events: onWorld(version) when the stream opens and at every change; onEnded
    // as soon as the stream is cut (the server keeps it open while it runs, so it has ended;
    // the browser tries again meanwhile); onOpen when the stream (re)opens.
    listen({onWorld, onEnded, onOpen}) {
        const events = new EventSource(`api/events?token=${encodeURIComponent(this.token)}`);
        events.addEventListener("world", (event) => onWorld(JSON.parse(event.data).version));
        events.addEventListener("error", () => {
            if (events.readyState !== EventSource.OPEN) {
                onEnded();
            }
        });
        events.addEventListener("open", () => onOpen());
        return events;
    }
}

// Keeps the store's world as new as the server's.
export class Feed {
    constructor(server, store) {
        this.server = server;
        this.store = store;
        this.refreshing = null;
        this.again = false;
    }

    // Fetches the world and its picture (taken apart), of one version, and shows them, unless
    // the page shows that version already. Asked again meanwhile, it fetches once more after, if
    // still older.
    refresh() {
        if (this.refreshing) {
            this.again = true;
            return this.refreshing;
        }
        const failed = (error) => this.store.tell(error.message, true);
        this.refreshing = this.fetchWorld().catch(failed).finally(() => {
            this.refreshing = null;
            const again = this.again;
            this.again = false;
            if (again && this.store.behind()) {
                this.refresh();
            }
        });
        return this.refreshing;
    }

    async fetchWorld() {
        const store = this.store;
        for (let attempt = 0; attempt < 5; ++attempt) {
            // The picture first: it is taken apart while the server makes the world's document.
            const drawn = this.server.ask("GET", "api/picture").then((answer) => {
                if (answer.status === 200) {
                    answer.parts = new PictureText(answer.text);
                }
                return answer;
            });
            const [document, picture] = await Promise.all([this.server.ask("GET", "api/world"), drawn]);
            if (document.status !== 200 || picture.status !== 200) {
                const failed = document.status !== 200 ? document : picture;
                store.tell((failed.data && failed.data.error) || "The world could not be read.", true);
                return;
            }
            store.heard(document.data.version);
            if (store.world && document.data.version === store.world.version) {
                return; // shown already
            }
            if (picture.version === document.data.version) {
                document.data.namesIgnoreCase = document.names === "letter-case-aside";
                store.showWorld(document.data, picture.parts);
                return;
            }
        }
    }

    // Live: every change the server tells of is fetched.
    listen() {
        this.server.listen({
            onWorld: (version) => {
                if (this.store.heard(version)) {
                    this.refresh();
                }
            },
            onEnded: () => this.store.tell("The editor's server has ended: start it again to go on.", true),
            onOpen: () => {
                if (this.store.status.failure) {
                    this.store.tell("");
                }
            },
        });
    }
}
