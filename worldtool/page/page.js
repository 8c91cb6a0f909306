// The editor's page: the picture of the world that `tovren-world draw` makes, as the server
// sends it, with what the page needs to act on it: choosing maps and links, the panel of a
// map's four fields, linking by dragging, cutting, mending, making maps, undo and redo, finding
// by name, panning and zooming (d3-zoom), and the world kept live through the server's events.
"use strict";

(() => {
    // The server's secret, from the address the page was opened at, then kept for this tab and
    // taken out of the address bar: it is left in no history, and a reload still works.
    const token = (() => {
        const given = new URLSearchParams(location.search).get("token");
        if (given) {
            sessionStorage.setItem("tovren-token", given);
            history.replaceState(null, "", location.pathname);
        }
        return sessionStorage.getItem("tovren-token") || "";
    })();
    const directions = ["up", "down", "left", "right"];
    const opposite = {up: "down", down: "up", left: "right", right: "left"};
    const $ = (id) => document.getElementById(id);
    const viewport = $("viewport");
    const stage = $("stage");
    const overlay = $("overlay");
    const svgNamespace = "http://www.w3.org/2000/svg";

    // What the page shows: the world as the server last sent it, and its picture's parts.
    let world = null;            // {folder, maps, findings, version}
    let boxes = [];              // the picture's map groups, by index into world.maps
    let rects = [];              // their boxes' places on the picture
    let tabbable = null;         // the one map that Tab reaches
    let byName = new Map();      // index by map name
    let chosen = null;           // the chosen map's name
    let chosenLink = null;       // {map, direction}
    let panel = null;            // {name, baseline: record}: what the fields were filled from
    let conflict = null;         // {current, typed}
    let pendingChoice = null;    // a map to choose once it appears
    const undone = [];           // saves that can be done again
    const done = [];             // the page's own saves, last last
    let searchIndex = -1;
    let goneTold = false;        // the status says the folder is gone

    // ---- Talking to the server ---------------------------------------------------------------

    async function ask(method, path, body) {
        const headers = {"Tovren-Token": token};
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
        return {status: response.status, data, response, text};
    }

    function tell(text, failure = false) {
        const status = $("status");
        status.textContent = text;
        status.classList.toggle("failure", failure);
    }

    // ---- The world and its picture -----------------------------------------------------------

    let refreshing = null;
    let refreshAgain = false;
    let latest = 0; // the newest version of the world the server told of

    // Fetches the world and its picture, of one version, and shows them, unless the page shows
    // that version already.
    function refresh() {
        if (refreshing) {
            refreshAgain = true;
            return refreshing;
        }
        refreshing = (async () => {
            for (let attempt = 0; attempt < 5; ++attempt) {
                const [document, picture] = await Promise.all([
                    ask("GET", "api/world"), ask("GET", "api/picture")]);
                if (document.status !== 200 || picture.status !== 200) {
                    const failed = document.status !== 200 ? document : picture;
                    tell((failed.data && failed.data.error) || "The world could not be read.", true);
                    return;
                }
                latest = Math.max(latest, document.data.version);
                if (world && document.data.version === world.version) {
                    return;
                }
                if (Number(picture.response.headers.get("Tovren-Version")) === document.data.version) {
                    show(document.data, picture.text);
                    return;
                }
            }
        })().catch((error) => tell(error.message, true)).finally(() => {
            refreshing = null;
            if (refreshAgain && (!world || latest > world.version)) {
                refresh();
            }
            refreshAgain = false;
        });
        return refreshing;
    }

    function show(fresh, pictureText) {
        const first = world === null;
        const picture = new DOMParser().parseFromString(pictureText, "image/svg+xml").documentElement;
        // Its look is the page's own stylesheet already; a style the page did not bring is refused.
        picture.querySelector("style")?.remove();
        world = fresh;
        byName = new Map(world.maps.map((map, index) => [map.name, index]));
        stage.replaceChildren(picture);
        boxes = Array.from(picture.querySelectorAll("g.map[data-map]"));
        rects = boxes.map((box) => {
            const rect = box.querySelector("rect.box");
            return {x: Number(rect.getAttribute("x")), y: Number(rect.getAttribute("y")),
                    width: Number(rect.getAttribute("width")), height: Number(rect.getAttribute("height"))};
        });
        tabbable = null;
        const mapsGroup = picture.querySelector("g.maps");
        mapsGroup.setAttribute("role", "listbox");
        mapsGroup.setAttribute("aria-label", "Maps of the world");
        picture.setAttribute("role", "group");
        picture.setAttribute("aria-label", `The world of ${world.folder}`);
        const findingsOf = findingsByMap();
        boxes.forEach((box, index) => {
            box.setAttribute("role", "option");
            box.setAttribute("tabindex", "-1");
            box.setAttribute("aria-selected", "false");
            box.setAttribute("aria-label", describe(world.maps[index], findingsOf.get(world.maps[index].name) || []));
        });
        $("title").textContent = `The world of ${world.folder}`;
        if (world.gone || goneTold) {
            tell(world.gone || "The folder is back.", !!world.gone);
            goneTold = !!world.gone;
        }
        document.title = `Tovren: ${world.folder}`;
        if (pendingChoice !== null && byName.has(pendingChoice)) {
            chosen = pendingChoice;
            pendingChoice = null;
        }
        if (chosen !== null && !byName.has(chosen)) {
            chosen = null;
        }
        markChosen(false);
        if (chosenLink && !byName.has(chosenLink.map)) {
            chosenLink = null;
        }
        markChosenLink();
        showPanel();
        showFindings();
        if (first) {
            fit(false);
        }
        performance.mark(`tovren-shown-${world.version}`);
        window.tovrenShown = world.version; // for the tests and the benchmark
        // The frame after the next has been painted: when the world was first seen.
        requestAnimationFrame(() => setTimeout(() => performance.mark(`tovren-painted-${fresh.version}`)));
    }

    function findingsByMap() {
        const of = new Map();
        for (const finding of world.findings) {
            if (!of.has(finding.map)) {
                of.set(finding.map, []);
            }
            of.get(finding.map).push(finding);
        }
        return of;
    }

    // A map as a screen reader says it: its name first, then its links and what is wrong.
    function describe(map, findings) {
        const parts = [map.name === "" ? "the map with no name" : map.name];
        if (map.up === null) {
            parts.push("its link file cannot be loaded");
        } else {
            const leads = directions.filter((d) => map[d] !== "").map((d) => `${d} to ${map[d]}`);
            parts.push(leads.length ? `leads ${leads.join(", ")}` : "leads nowhere");
        }
        if (findings.length) {
            parts.push(findings.map((f) => `${f.severity}: ${f.message}`).join("; "));
        }
        return parts.join("; ");
    }

    // ---- Choosing maps and links -------------------------------------------------------------

    function markChosen(focus) {
        for (const box of stage.querySelectorAll("g.map.selected")) {
            box.classList.remove("selected");
            box.setAttribute("aria-selected", "false");
        }
        const index = chosen === null ? -1 : byName.get(chosen);
        const target = index >= 0 ? boxes[index] : boxes[0];
        if (tabbable && tabbable !== target) {
            tabbable.setAttribute("tabindex", "-1");
        }
        if (target) {
            target.setAttribute("tabindex", "0"); // Tab reaches the maps here
        }
        tabbable = target || null;
        if (index >= 0) {
            boxes[index].classList.add("selected");
            boxes[index].setAttribute("aria-selected", "true");
            if (focus) {
                boxes[index].focus({preventScroll: true});
            }
        }
    }

    function choose(index, {focus = false, view = true, link = null} = {}) {
        const name = world.maps[index].name;
        if (chosen !== name) {
            conflict = null;
        }
        chosen = name;
        chosenLink = link;
        markChosen(focus);
        markChosenLink();
        showPanel();
        if (view) {
            bringIntoView(index);
        }
    }

    function markChosenLink() {
        for (const element of stage.querySelectorAll(".selected:not(g.map)")) {
            element.classList.remove("selected");
        }
        if (!chosenLink) {
            return;
        }
        const index = byName.get(chosenLink.map);
        const selector = `[data-map="${index}"][data-direction="${chosenLink.direction}"]`;
        let element = stage.querySelector(`path.link${selector}, g.dangling${selector}, g.wrap${selector}`);
        if (!element) { // a link both ways is drawn once, from its other end
            const map = world.maps[index];
            const far = byName.get(map[chosenLink.direction]);
            if (far !== undefined) {
                element = stage.querySelector(
                    `path.link[data-map="${far}"][data-direction="${opposite[chosenLink.direction]}"]`);
            }
        }
        if (element) {
            element.classList.add("selected");
        }
    }

    function boxRect(index) {
        return rects[index];
    }

    // The map the arrow keys lead to: the one linked that way, else the nearest that way.
    function neighbourOf(index, direction) {
        const map = world.maps[index];
        if (map[direction] && byName.has(map[direction])) {
            return byName.get(map[direction]);
        }
        const from = boxRect(index);
        const step = {up: [0, -1], down: [0, 1], left: [-1, 0], right: [1, 0]}[direction];
        let best = null;
        let bestScore = Infinity;
        rects.forEach((rect, other) => {
            if (other === index) {
                return;
            }
            const dx = rect.x - from.x;
            const dy = rect.y - from.y;
            const ahead = dx * step[0] + dy * step[1];
            if (ahead <= 0) {
                return;
            }
            const aside = Math.abs(dx * step[1]) + Math.abs(dy * step[0]);
            const score = ahead + 2 * aside;
            if (score < bestScore) {
                bestScore = score;
                best = other;
            }
        });
        return best;
    }

    // ---- Panning and zooming -----------------------------------------------------------------

    // d3-zoom 1.8 (Debian's): listeners find their event in d3.event.
    let settleTimer = null;
    const zoom = d3.zoom()
        .scaleExtent([0.005, 4])
        .filter(() => {
            const event = d3.event;
            if (event.type === "wheel") {
                return true;
            }
            const target = event.target;
            return !event.button && !(target.closest && target.closest("g.map[data-map]"));
        })
        .on("zoom", () => {
            const {x, y, k} = d3.event.transform;
            stage.classList.add("moving");
            stage.style.transform = `translate(${x}px, ${y}px) scale(${k})`;
            stage.classList.toggle("far", k < 0.3);
            drawOverlay();
            clearTimeout(settleTimer);
            // At rest, drawn again at the scale it is seen at, sharp.
            settleTimer = setTimeout(() => stage.classList.remove("moving"), 200);
        });
    const view = d3.select(viewport);
    view.call(zoom).on("dblclick.zoom", null);

    function pictureSize() {
        const svg = stage.querySelector("svg");
        return svg ? {width: Number(svg.getAttribute("width")), height: Number(svg.getAttribute("height"))}
                   : {width: 1, height: 1};
    }

    function fit(animated = true) {
        const {width, height} = pictureSize();
        const k = Math.min(viewport.clientWidth / width, viewport.clientHeight / height, 1) * 0.98;
        const transform = d3.zoomIdentity
            .translate((viewport.clientWidth - width * k) / 2, (viewport.clientHeight - height * k) / 2)
            .scale(k);
        (animated ? view.transition().duration(250) : view).call(zoom.transform, transform);
    }

    function zoomBy(factor) {
        view.transition().duration(150).call(zoom.scaleBy, factor);
    }

    function bringIntoView(index) {
        const rect = boxRect(index);
        const t = d3.zoomTransform(viewport);
        const left = t.applyX(rect.x);
        const top = t.applyY(rect.y);
        const inside = left >= 0 && top >= 0 && left + rect.width * t.k <= viewport.clientWidth &&
                       top + rect.height * t.k <= viewport.clientHeight;
        if (inside && t.k >= 0.3) {
            return;
        }
        const k = Math.max(t.k, 0.6);
        const cx = rect.x + rect.width / 2;
        const cy = rect.y + rect.height / 2;
        view.transition().duration(250).call(zoom.transform,
            d3.zoomIdentity.translate(viewport.clientWidth / 2 - cx * k, viewport.clientHeight / 2 - cy * k).scale(k));
    }

    // The picture's point under a point of the page.
    function pictureAt(clientX, clientY) {
        const bounds = viewport.getBoundingClientRect();
        const [x, y] = d3.zoomTransform(viewport).invert([clientX - bounds.left, clientY - bounds.top]);
        return {x, y};
    }

    // ---- Dragging a map onto a side of another -----------------------------------------------

    let drag = null; // {from, startX, startY, x, y, target, side, moved}

    function sideOf(index, point) {
        const rect = boxRect(index);
        const dx = (point.x - (rect.x + rect.width / 2)) / rect.width;
        const dy = (point.y - (rect.y + rect.height / 2)) / rect.height;
        return Math.abs(dx) > Math.abs(dy) ? (dx > 0 ? "right" : "left") : (dy > 0 ? "down" : "up");
    }

    function drawOverlay() {
        overlay.replaceChildren();
        if (!drag || !drag.moved) {
            return;
        }
        const t = d3.zoomTransform(viewport);
        const from = boxRect(drag.from);
        const bounds = viewport.getBoundingClientRect();
        const ghost = document.createElementNS(svgNamespace, "rect");
        ghost.setAttribute("class", "ghost");
        ghost.setAttribute("x", drag.x - bounds.left - from.width * t.k / 2);
        ghost.setAttribute("y", drag.y - bounds.top - from.height * t.k / 2);
        ghost.setAttribute("width", from.width * t.k);
        ghost.setAttribute("height", from.height * t.k);
        overlay.append(ghost);
        if (drag.target !== null) {
            const rect = boxRect(drag.target);
            const ends = {
                up: [[rect.x, rect.y], [rect.x + rect.width, rect.y]],
                down: [[rect.x, rect.y + rect.height], [rect.x + rect.width, rect.y + rect.height]],
                left: [[rect.x, rect.y], [rect.x, rect.y + rect.height]],
                right: [[rect.x + rect.width, rect.y], [rect.x + rect.width, rect.y + rect.height]],
            }[drag.side];
            const line = document.createElementNS(svgNamespace, "line");
            line.setAttribute("class", "target");
            line.setAttribute("x1", t.applyX(ends[0][0]));
            line.setAttribute("y1", t.applyY(ends[0][1]));
            line.setAttribute("x2", t.applyX(ends[1][0]));
            line.setAttribute("y2", t.applyY(ends[1][1]));
            overlay.append(line);
        }
    }

    stage.addEventListener("pointerdown", (event) => {
        const box = event.target.closest("g.map[data-map]");
        if (!box || event.button !== 0) {
            return;
        }
        drag = {from: Number(box.dataset.map), startX: event.clientX, startY: event.clientY,
                x: event.clientX, y: event.clientY, target: null, side: null, moved: false};
        viewport.setPointerCapture(event.pointerId);
        event.preventDefault();
    });

    viewport.addEventListener("pointermove", (event) => {
        if (!drag) {
            return;
        }
        drag.x = event.clientX;
        drag.y = event.clientY;
        drag.moved = drag.moved || Math.hypot(drag.x - drag.startX, drag.y - drag.startY) > 5;
        if (!drag.moved) {
            return;
        }
        const point = pictureAt(event.clientX, event.clientY);
        drag.target = null;
        rects.forEach((rect, index) => {
            if (index !== drag.from && point.x >= rect.x - 20 && point.x <= rect.x + rect.width + 20 &&
                point.y >= rect.y - 20 && point.y <= rect.y + rect.height + 20) {
                drag.target = index;
                drag.side = sideOf(index, point);
            }
        });
        drawOverlay();
    });

    viewport.addEventListener("pointerup", (event) => {
        if (!drag) {
            return;
        }
        const finished = drag;
        drag = null;
        drawOverlay();
        if (!finished.moved) {
            choose(finished.from, {focus: true, view: false});
        } else if (finished.target !== null) {
            linkByDropping(finished.from, finished.target, finished.side);
        }
    });

    viewport.addEventListener("pointercancel", () => {
        drag = null;
        drawOverlay();
    });

    // A click beside the maps: the link nearest to it, if one is near.
    viewport.addEventListener("click", (event) => {
        if (event.target.closest("g.map[data-map]") || !world) {
            return;
        }
        const point = pictureAt(event.clientX, event.clientY);
        const tolerance = 8 / d3.zoomTransform(viewport).k;
        let best = null;
        let bestDistance = tolerance;
        for (const element of stage.querySelectorAll("path.link[data-map], g.dangling[data-map] path, g.wrap[data-map] path")) {
            const owner = element.closest("[data-map]");
            const points = element.getAttribute("d").slice(1).split(" L").map((pair) => pair.split(",").map(Number));
            for (let at = 1; at < points.length; ++at) {
                const distance = distanceToSegment(point, points[at - 1], points[at]);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = owner;
                }
            }
        }
        if (best) {
            const index = Number(best.dataset.map);
            choose(index, {view: false, link: {map: world.maps[index].name, direction: best.dataset.direction}});
        }
    });

    function distanceToSegment(point, a, b) {
        const [ax, ay] = a;
        const [bx, by] = b;
        const length = (bx - ax) ** 2 + (by - ay) ** 2;
        const t = length === 0 ? 0 : Math.max(0, Math.min(1, ((point.x - ax) * (bx - ax) + (point.y - ay) * (by - ay)) / length));
        return Math.hypot(point.x - (ax + t * (bx - ax)), point.y - (ay + t * (by - ay)));
    }

    stage.addEventListener("dblclick", (event) => {
        const box = event.target.closest("g.map[data-map]");
        if (box) { // travel there: the map in the middle, its fields ready
            const index = Number(box.dataset.map);
            choose(index, {view: false});
            const rect = boxRect(index);
            view.transition().duration(250).call(zoom.translateTo, rect.x + rect.width / 2, rect.y + rect.height / 2);
            $("field-up").focus();
        }
    });

    // ---- The keyboard ------------------------------------------------------------------------

    stage.addEventListener("keydown", (event) => {
        const box = event.target.closest && event.target.closest("g.map[data-map]");
        if (!box) {
            return;
        }
        const index = Number(box.dataset.map);
        const direction = {ArrowUp: "up", ArrowDown: "down", ArrowLeft: "left", ArrowRight: "right"}[event.key];
        if (direction) {
            const next = neighbourOf(index, direction);
            if (next !== null) {
                choose(next, {focus: true});
            }
            event.preventDefault();
            event.stopPropagation();
        } else if (event.key === "Enter") {
            choose(index, {view: false});
            $("field-up").focus();
            event.preventDefault();
        } else if (event.key === " ") {
            choose(index, {focus: true, view: false});
            event.preventDefault();
        }
    });

    viewport.addEventListener("keydown", (event) => {
        const step = 60;
        const moves = {ArrowUp: [0, step], ArrowDown: [0, -step], ArrowLeft: [step, 0], ArrowRight: [-step, 0]};
        if (event.target === viewport && moves[event.key]) {
            const [dx, dy] = moves[event.key];
            const k = d3.zoomTransform(viewport).k;
            view.call(zoom.translateBy, dx / k, dy / k);
            event.preventDefault();
        }
    });

    function typingInAField(event) {
        const target = event.target;
        return target instanceof HTMLInputElement || target instanceof HTMLTextAreaElement;
    }

    document.addEventListener("keydown", (event) => {
        if (event.ctrlKey || event.metaKey) {
            const key = event.key.toLowerCase();
            if (typingInAField(event) || $("ask").open) {
                return; // a field's own undo
            }
            if (key === "z" && !event.shiftKey) {
                undo();
                event.preventDefault();
            } else if ((key === "z" && event.shiftKey) || key === "y") {
                redo();
                event.preventDefault();
            }
            return;
        }
        if (typingInAField(event) || event.altKey || $("ask").open) {
            return;
        }
        if (event.key === "+" || event.key === "=") {
            zoomBy(1.25);
        } else if (event.key === "-") {
            zoomBy(0.8);
        } else if (event.key === "0") {
            fit();
        } else if ((event.key === "Delete" || event.key === "Backspace") && chosenLink) {
            cut(chosenLink.map, chosenLink.direction);
        } else if (event.key === "Escape" && drag) {
            drag = null;
            drawOverlay();
        } else {
            return;
        }
        event.preventDefault();
    });

    $("zoom-in").addEventListener("click", () => zoomBy(1.25));
    $("zoom-out").addEventListener("click", () => zoomBy(0.8));
    $("fit").addEventListener("click", () => fit());
    $("undo").addEventListener("click", () => undo());
    $("redo").addEventListener("click", () => redo());

    // ---- The panel of the chosen map ---------------------------------------------------------

    // A text as a field shows it: a line feed that Load read stands as a blank.
    const shown = (text) => text.replace(/\n/g, " ");

    function fieldOf(direction) {
        return $(`field-${direction}`);
    }

    function showPanel() {
        const index = chosen === null ? -1 : byName.get(chosen);
        $("panel-hint").hidden = index >= 0;
        $("fields").hidden = index < 0;
        if (index < 0) {
            $("panel-title").textContent = "No map chosen";
            $("map-findings-section").hidden = true;
            $("conflict").hidden = true;
            $("panel-note").hidden = true;
            panel = null;
            return;
        }
        const map = world.maps[index];
        $("panel-title").textContent = map.name === "" ? "The map with no name (.link)" : map.name;
        const loaded = map.up !== null;
        const record = loaded ? {up: map.up, down: map.down, left: map.left, right: map.right} : null;
        // A map the editor does not write is shown, saying why, and is not changed here.
        const readOnly = (world.readOnly || []).find((entry) => entry.map === map.name);
        const readable = loaded && !readOnly && !world.gone;
        const typing = panel && panel.name === map.name && directions.some((d) => changed(d));
        if (!typing) {
            panel = {name: map.name, baseline: record};
            for (const direction of directions) {
                fieldOf(direction).value = record ? shown(record[direction]) : "";
            }
            $("panel-note").textContent = readOnly ? readOnly.why : "";
            $("panel-note").hidden = !readOnly;
        } else if (JSON.stringify(record) !== JSON.stringify(panel.baseline)) {
            // What was typed stays; a save will show both.
            $("panel-note").textContent = `${map.name}'s file changed meanwhile. What you typed is kept: Save shows both.`;
            $("panel-note").hidden = false;
        }
        for (const direction of directions) {
            fieldOf(direction).disabled = !readable;
            const row = fieldOf(direction).closest(".field");
            row.classList.toggle("chosen", !!chosenLink && chosenLink.map === map.name && chosenLink.direction === direction);
            row.querySelector(".cut").disabled = !readable || (record && record[direction] === "");
        }
        $("save").disabled = !readable;
        $("revert").disabled = !readable;
        markChanges();
        showConflict();
        const findings = world.findings.filter((f) => f.map === map.name);
        $("map-findings-section").hidden = findings.length === 0;
        $("map-findings").replaceChildren(...findings.map((f) => findingItem(f, false)));
    }

    function changed(direction) {
        if (!panel || !panel.baseline) {
            return false;
        }
        return fieldOf(direction).value !== shown(panel.baseline[direction]);
    }

    function markChanges() {
        for (const direction of directions) {
            fieldOf(direction).closest(".field").classList.toggle("changed", changed(direction));
        }
    }

    // The four texts to save: those not changed as the file holds them, a line feed included.
    function typedRecord() {
        const record = {};
        for (const direction of directions) {
            record[direction] = changed(direction) ? fieldOf(direction).value : panel.baseline[direction];
        }
        return record;
    }

    for (const direction of directions) {
        fieldOf(direction).addEventListener("input", markChanges);
        fieldOf(direction).addEventListener("keydown", (event) => {
            if (event.key === "Escape") {
                fieldOf(direction).value = shown(panel.baseline[direction]);
                markChanges();
            }
        });
    }

    $("fields").addEventListener("submit", (event) => {
        event.preventDefault();
        savePanel(panel.baseline);
    });

    $("revert").addEventListener("click", () => {
        conflict = null;
        panel = null;
        showPanel();
    });

    for (const button of document.querySelectorAll(".cut")) {
        button.addEventListener("click", () => cut(chosen, button.dataset.direction));
    }

    async function savePanel(expect) {
        const name = panel.name;
        const typed = typedRecord();
        const answer = await save([{map: name, expect, links: typed}], `Saved ${name}.`, {quiet: true});
        if (answer.status === 409 && !answer.data.conflicts) {
            tell(answer.data.error, true); // the folder is gone
        } else if (answer.status === 409) {
            const current = answer.data.conflicts[0].current;
            conflict = {current, typed, failure: answer.data.conflicts[0].failure};
            showConflict();
            tell(answer.data.error, true);
        } else if (answer.status === 200) {
            conflict = null;
            panel = {name, baseline: typed};
            showConflict();
            markChanges();
        }
    }

    function showConflict() {
        const section = $("conflict");
        section.hidden = !conflict || !panel;
        if (section.hidden) {
            return;
        }
        $("conflict-text").textContent = conflict.current
            ? `Another program saved ${panel.name} since the page read it. Nothing was saved; both are here.`
            : `${panel.name} cannot be loaded now${conflict.failure ? `: ${conflict.failure}` : ""}. Nothing was saved.`;
        $("conflict-rows").replaceChildren(...directions.map((direction) => {
            const row = document.createElement("tr");
            const name = document.createElement("th");
            name.scope = "row";
            name.textContent = direction[0].toUpperCase() + direction.slice(1);
            const theirs = document.createElement("td");
            theirs.textContent = conflict.current ? shown(conflict.current[direction]) : "";
            const mine = document.createElement("td");
            mine.textContent = shown(conflict.typed[direction]);
            row.append(name, theirs, mine);
            return row;
        }));
        $("conflict-mine").disabled = !conflict.current;
    }

    $("conflict-mine").addEventListener("click", () => {
        // Over what the file holds now: the typed texts go in the fields, and are saved.
        const typed = conflict.typed;
        panel = {name: panel.name, baseline: conflict.current};
        for (const direction of directions) {
            fieldOf(direction).value = shown(typed[direction]);
        }
        markChanges();
        savePanel(conflict.current);
    });

    $("conflict-theirs").addEventListener("click", () => {
        conflict = null;
        panel = null;
        showPanel();
        tell("What the file holds is in the fields.");
    });

    // ---- Saving, and what the page saved -----------------------------------------------------

    function recordOf(name) {
        const index = byName.get(name);
        if (index === undefined || world.maps[index].up === null) {
            return null;
        }
        const map = world.maps[index];
        return {up: map.up, down: map.down, left: map.left, right: map.right};
    }

    // Sends saves; on success keeps them to undo. Each save: {map, expect, links}.
    async function save(saves, what, {quiet = false, history = true} = {}) {
        const started = performance.now();
        let answer;
        try {
            answer = await ask("POST", "api/save", {saves});
        } catch (error) {
            tell(error.message, true);
            return {status: 0};
        }
        if (answer.status === 200) {
            latest = Math.max(latest, answer.data.version);
            if (history) {
                done.push({label: what, changes: saves.map((s) => ({map: s.map, before: s.expect, after: s.links}))});
                undone.length = 0;
            }
            tell(what);
            performance.measure("tovren-save", {start: started});
            refresh();
        } else if (answer.status === 207) {
            tell(answer.data.error, true);
            refresh();
        } else if (!quiet || answer.status !== 409) {
            tell((answer.data && answer.data.error) || "The editor's server could not save it.", true);
        }
        showHistory();
        return answer;
    }

    function showHistory() {
        $("undo").disabled = done.length === 0;
        $("redo").disabled = undone.length === 0;
        $("undo").title = done.length ? `Undo: ${done[done.length - 1].label} (Ctrl+Z)` : "Nothing to undo";
        $("redo").title = undone.length ? `Redo: ${undone[undone.length - 1].label} (Ctrl+Shift+Z)` : "Nothing to redo";
    }

    // Undone only where every file still holds what the page wrote: the server checks that.
    // Takes the last save of one list back (undo) or makes it again (redo) and moves it to the
    // other list: only where every file still holds what that save left, which the server checks.
    async function replay(from, to, backwards) {
        const entry = from[from.length - 1];
        const word = backwards ? "undo" : "redo";
        if (!entry) {
            tell(`There is nothing to ${word}.`);
            return;
        }
        const saves = entry.changes.map((c) => backwards ? {map: c.map, expect: c.after, links: c.before}
                                                         : {map: c.map, expect: c.before, links: c.after});
        const answer = await save(saves, `${backwards ? "Undone" : "Redone"}: ${entry.label}`,
                                  {history: false, quiet: true});
        if (answer.status === 200) {
            to.push(from.pop());
        } else if (answer.status === 409) {
            const changed = answer.data.conflicts.map((c) => c.map).join(", ");
            tell(backwards ? `Not undone: ${changed} changed since the page saved it. Nothing was changed.`
                           : `Not redone: ${changed} changed meanwhile. Nothing was changed.`, true);
        }
        showHistory();
    }

    const undo = () => replay(done, undone, true);
    const redo = () => replay(undone, done, false);

    function withText(record, direction, text) {
        return Object.assign({}, record, {[direction]: text});
    }

    async function confirm(text) {
        const dialog = $("ask");
        $("ask-text").textContent = text;
        dialog.returnValue = "";
        dialog.showModal();
        $("ask-no").focus();
        await new Promise((resolve) => dialog.addEventListener("close", resolve, {once: true}));
        return dialog.returnValue === "yes";
    }

    // Dropped onto a side of another map: the two are linked there, both ways, in one save.
    async function linkByDropping(fromIndex, toIndex, side) {
        const a = world.maps[fromIndex];
        const b = world.maps[toIndex];
        const aRecord = recordOf(a.name);
        const bRecord = recordOf(b.name);
        if (!aRecord || !bRecord) {
            tell(`${aRecord ? b.name : a.name}'s link file cannot be loaded, so it cannot be linked.`, true);
            return;
        }
        const back = opposite[side]; // a lies `side` of b: b leads `side` to a, a leads `back` to b
        const replaced = [];
        if (bRecord[side] !== "" && bRecord[side] !== a.name) {
            replaced.push(`${b.name} leads ${side} to ${bRecord[side]}`);
        }
        if (aRecord[back] !== "" && aRecord[back] !== b.name) {
            replaced.push(`${a.name} leads ${back} to ${aRecord[back]}`);
        }
        if (replaced.length && !(await confirm(`${replaced.join(", and ")}. Link ${a.name} ${side} of ${b.name} instead?`))) {
            tell("Nothing was linked.");
            return;
        }
        await save([{map: b.name, expect: bRecord, links: withText(bRecord, side, a.name)},
                    {map: a.name, expect: aRecord, links: withText(aRecord, back, b.name)}],
                   `Linked ${a.name} ${side} of ${b.name}.`);
        pendingChoice = a.name;
    }

    // A link cut: both fields where it leads there and back, else the one.
    async function cut(name, direction) {
        const record = recordOf(name);
        if (!record || record[direction] === "") {
            return;
        }
        const target = record[direction];
        const saves = [{map: name, expect: record, links: withText(record, direction, "")}];
        const far = recordOf(target);
        if (far && far[opposite[direction]] === name && target !== name) {
            saves.push({map: target, expect: far, links: withText(far, opposite[direction], "")});
        }
        chosenLink = null;
        await save(saves, `Cut the link ${direction} from ${name} to ${target}.`);
    }

    // ---- Findings, and mending them ----------------------------------------------------------

    // A name as people mistype it: blanks around it and letter case do not count (the rule of
    // the check's suggestions).
    const looseName = (name) => name.replace(/^ +| +$/g, "").replace(/[A-Z]/g, (c) => c.toLowerCase());

    function mendsOf(finding) {
        const record = recordOf(finding.map);
        if (!record || !finding.direction) {
            return [];
        }
        const direction = finding.direction;
        if (finding.kind === "one-way") {
            const far = recordOf(finding.target);
            const back = opposite[direction];
            if (far && far[back] === "") {
                return [{label: "Make it lead back", run: () => save(
                    [{map: finding.target, expect: far, links: withText(far, back, finding.map)}],
                    `${finding.target} leads ${back} to ${finding.map} now.`)}];
            }
        } else if (finding.kind === "dangling") {
            const loose = looseName(finding.target);
            const suggestion = world.maps.find((m) => m.name !== finding.target && looseName(m.name) === loose);
            if (suggestion) {
                return [{label: `Take ${suggestion.name}`, run: () => save(
                    [{map: finding.map, expect: record, links: withText(record, direction, suggestion.name)}],
                    `${finding.map} leads ${direction} to ${suggestion.name} now.`)}];
            }
        }
        return [];
    }

    function findingItem(finding, choosing) {
        const item = document.createElement("li");
        // In the list of the world's findings, choosing one chooses its map; in the panel of a
        // map, the map is chosen already.
        const text = document.createElement(choosing ? "button" : "span");
        text.className = `finding ${finding.severity}`;
        text.textContent = `${finding.severity}: ${finding.kind}: ${finding.message}`;
        if (choosing) {
            text.type = "button";
            text.addEventListener("click", () => {
                const index = byName.get(finding.map);
                if (index !== undefined) {
                    choose(index, {focus: true,
                                   link: finding.direction ? {map: finding.map, direction: finding.direction} : null});
                }
            });
        }
        item.append(text);
        for (const mend of mendsOf(finding)) {
            const action = document.createElement("button");
            action.type = "button";
            action.className = "mend";
            action.textContent = mend.label;
            action.setAttribute("aria-label", `${mend.label}: ${finding.message}`);
            action.addEventListener("click", mend.run);
            item.append(action);
        }
        return item;
    }

    function showFindings() {
        const errors = world.findings.filter((f) => f.severity === "error").length;
        const warnings = world.findings.length - errors;
        const plural = (count, word) => `${count} ${word}${count === 1 ? "" : "s"}`;
        $("summary").textContent = `${plural(world.maps.length, "map")}: ${plural(errors, "error")}, ${plural(warnings, "warning")}`;
        $("findings").replaceChildren(...world.findings.map((f) => findingItem(f, true)));
    }

    // ---- Finding a map by name, and making one -----------------------------------------------

    $("search").addEventListener("submit", (event) => {
        event.preventDefault();
        const wanted = $("find").value.trim().toLowerCase();
        if (!wanted || !world) {
            return;
        }
        const exact = world.maps.findIndex((m) => m.name.toLowerCase() === wanted);
        const matches = world.maps.map((m, index) => [m.name.toLowerCase(), index])
            .filter(([name]) => name.includes(wanted)).map(([, index]) => index);
        if (exact >= 0) {
            matches.splice(matches.indexOf(exact), 1);
            matches.unshift(exact);
        }
        if (!matches.length) {
            $("found").textContent = "No map is named so.";
            return;
        }
        searchIndex = (searchIndex + 1) % matches.length;
        const index = matches[searchIndex];
        $("found").textContent = `${searchIndex + 1} of ${matches.length}: ${world.maps[index].name}`;
        choose(index);
    });
    $("find").addEventListener("input", () => {
        searchIndex = -1;
        $("found").textContent = "";
    });

    $("new-map").addEventListener("submit", async (event) => {
        event.preventDefault();
        const name = $("new-name").value;
        const answer = await save([{map: name, expect: null, links: {up: "", down: "", left: "", right: ""}}],
                                  `Made the map ${name}.`);
        if (answer.status === 200) {
            $("new-name").value = "";
            pendingChoice = name;
            await refresh();
        }
    });

    // ---- Live: the server tells of every change of the world --------------------------------

    function listen() {
        const events = new EventSource(`api/events?token=${encodeURIComponent(token)}`);
        events.addEventListener("world", (event) => {
            latest = Math.max(latest, JSON.parse(event.data).version);
            if (!world || latest > world.version) {
                refresh();
            }
        });
        events.addEventListener("error", () => {
            if (events.readyState === EventSource.CLOSED) {
                tell("The editor's server has ended: start it again to go on.", true);
            }
        });
        events.addEventListener("open", () => {
            if ($("status").classList.contains("failure")) {
                tell("");
            }
        });
    }

    window.addEventListener("resize", () => drawOverlay());
    performance.mark("tovren-start");
    refresh();
    listen();
})();
