"use strict";
(() => {
    const token = document.querySelector('meta[name="tovren-token"]').content;
    fetch("api/world", {headers: {"Tovren-Token": token}})
        .then((response) => response.json())
        .then((world) => {
            const list = document.createElement("ul");
            for (const map of world.maps) {
                const item = document.createElement("li");
                item.textContent = map.name;
                list.append(item);
            }
            document.getElementById("world").replaceChildren(list);
        });
})();
