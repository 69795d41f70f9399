// The map gallery: builds one card per map from the data in the page once,
// then filters by toggling each card's hidden attribute and sorts by moving
// the cards, so that thousands of maps stay quick. The filter lives in the
// URL fragment (#side=64&era=winter&players=8&q=golf&sort=players), so a
// view can be linked and the browser's address bar can set it.
"use strict";

(function () {
  const KEYS = ["side", "era", "players", "q", "sort"];
  const SORTS = ["name", "side", "players", "gold"];
  const ERAS = ["forest", "winter", "wasteland", "swamp"];

  const byId = (id) => document.getElementById(id);
  const list = byId("maps");
  const controls = byId("controls");
  const summary = byId("summary");
  const noMatch = byId("no-match");
  const numbers = new Intl.NumberFormat("en");

  const entries = JSON.parse(byId("gallery-data").textContent);
  const maps = entries.filter((entry) => !("error" in entry));
  const failed = entries.filter((entry) => "error" in entry);

  // The file name without its folder and its ".pud".
  function mapName(path) {
    const file = path.slice(path.lastIndexOf("/") + 1);
    return file.replace(/\.pud$/i, "");
  }

  function folderOf(path) {
    const slash = path.lastIndexOf("/");
    return slash < 0 ? "" : path.slice(0, slash);
  }

  function playerChip(slot, index) {
    const chip = document.createElement("span");
    const race = slot.race || "neutral";
    const computer = slot.controller === "computer";
    chip.className = "chip " + race + (computer ? " computer" : "");
    chip.textContent = race === "human" ? "H" : race === "orc" ? "O" : "N";
    const label = "Player " + (index + 1) + ": " + race + ", " + (computer ? "computer" : "human player");
    chip.title = label;
    chip.setAttribute("role", "img");
    chip.setAttribute("aria-label", label);
    return chip;
  }

  function goldText(map) {
    if (map.gold_mines === 0)
      return "no gold mines";
    const mines = map.gold_mines === 1 ? "1 mine" : numbers.format(map.gold_mines) + " mines";
    return numbers.format(map.gold) + " in " + mines;
  }

  const template = byId("card-template").content.firstElementChild;

  function makeCard(map) {
    const card = template.cloneNode(true);
    const name = mapName(map.path);
    card.dataset.map = map.path;
    card.dataset.side = String(map.side);
    card.dataset.era = map.era_name;
    card.dataset.players = map.players === null ? "" : String(map.players);

    const link = card.querySelector(".minimap");
    link.href = map.minimap;
    link.setAttribute("aria-label", "Minimap of " + name + ", full size");
    const image = link.querySelector("img");
    image.alt = "Minimap of " + name;
    image.src = map.minimap;

    card.querySelector(".name").textContent = name;
    const folder = card.querySelector(".folder");
    folder.textContent = folderOf(map.path);
    folder.hidden = folder.textContent === "";
    const description = card.querySelector(".description");
    description.textContent = map.description || "";
    description.hidden = description.textContent === "";
    card.querySelector(".side").textContent = map.side + " \u00d7 " + map.side;
    card.querySelector(".era").textContent = map.era_name;
    card.querySelector(".gold").textContent = goldText(map);

    const count = card.querySelector(".count");
    const chips = card.querySelector(".chips");
    if (map.players === null) {
      count.textContent = "Players unknown";
    } else {
      count.textContent = map.players === 1 ? "1 player" : map.players + " players";
      map.slots.forEach((slot, index) => {
        if (slot.controller === "human" || slot.controller === "computer")
          chips.appendChild(playerChip(slot, index));
      });
    }
    return card;
  }

  // Names compare without regard to case, and numbers in them by value
  // ("map 2" before "map 10"); a key made once keeps sorting thousands quick.
  function sortKey(text) {
    return text.toLocaleLowerCase().replace(/\d+/g, (digits) => digits.padStart(12, "0"));
  }

  // Cards and what the filter and the sort look at, built once.
  const cards = maps.map((map) => ({
    map: map,
    element: makeCard(map),
    nameKey: sortKey(mapName(map.path)) + "\n" + sortKey(map.path),
    text: (mapName(map.path) + "\n" + (map.description || "")).toLocaleLowerCase(),
  }));

  function addOptions(select, values, label) {
    values.forEach((value) => {
      const option = document.createElement("option");
      option.value = String(value);
      option.textContent = label(value);
      select.appendChild(option);
    });
  }

  const distinct = (values) => Array.from(new Set(values)).sort((a, b) => a - b);
  addOptions(byId("side"), distinct(maps.map((map) => map.side)), (side) => side + " \u00d7 " + side);
  addOptions(byId("players"), distinct(maps.map((map) => map.players).filter((n) => n !== null)), String);

  if (failed.length > 0) {
    const failedList = byId("failed");
    failed.forEach((entry) => {
      const item = document.createElement("li");
      item.dataset.failed = entry.path;
      const path = document.createElement("code");
      path.textContent = entry.path;
      const message = document.createElement("span");
      message.className = "message";
      message.textContent = entry.error;
      item.append(path, ": ", message);
      failedList.appendChild(item);
    });
    byId("failures").hidden = false;
  }

  // The state as the fragment gives it; unknown keys and values are dropped.
  function readState() {
    const params = new URLSearchParams(location.hash.replace(/^#/, ""));
    const state = {};
    KEYS.forEach((key) => { state[key] = params.get(key) || ""; });
    if (!ERAS.includes(state.era))
      state.era = "";
    if (!SORTS.includes(state.sort))
      state.sort = "";
    return state;
  }

  function stateOfControls() {
    const state = {};
    KEYS.forEach((key) => { state[key] = byId(key).value.trim(); });
    if (state.sort === "name")
      state.sort = "";
    return state;
  }

  function showInControls(state) {
    KEYS.forEach((key) => {
      const control = byId(key);
      const value = key === "sort" ? state.sort || "name" : state[key];
      // A value the lists lack (a side no map has) still shows as chosen.
      if (control.tagName === "SELECT" && value !== "" && !Array.from(control.options).some((o) => o.value === value))
        addOptions(control, [value], (v) => v);
      if (control.value !== value)
        control.value = value;
    });
  }

  function fragmentOf(state) {
    const params = new URLSearchParams();
    KEYS.forEach((key) => { if (state[key] !== "") params.set(key, state[key]); });
    return params.toString();
  }

  function matches(card, state) {
    const map = card.map;
    return (state.side === "" || String(map.side) === state.side) &&
      (state.era === "" || map.era_name === state.era) &&
      (state.players === "" || String(map.players) === state.players) &&
      (state.q === "" || card.text.includes(state.q.toLocaleLowerCase()));
  }

  // Larger numbers first; unknown numbers last; equal ones by name.
  const numberKeys = { side: (map) => map.side, players: (map) => map.players, gold: (map) => map.gold };
  function compare(key) {
    const byName = (a, b) => (a.nameKey < b.nameKey ? -1 : a.nameKey > b.nameKey ? 1 : 0);
    if (!(key in numberKeys))
      return byName;
    const value = numberKeys[key];
    return (a, b) => {
      const x = value(a.map), y = value(b.map);
      if (x !== y) {
        if (x === null) return 1;
        if (y === null) return -1;
        return y - x;
      }
      return byName(a, b);
    };
  }

  // Sorting moves the cards in one step; the first sort places them.
  let shownSort = null;
  function apply(state) {
    let shown = 0;
    cards.forEach((card) => {
      const hide = !matches(card, state);
      if (card.element.hidden !== hide)
        card.element.hidden = hide;
      if (!hide)
        shown += 1;
    });
    const sort = state.sort || "name";
    if (sort !== shownSort) {
      list.replaceChildren(...cards.slice().sort(compare(sort)).map((card) => card.element));
      shownSort = sort;
    }
    noMatch.hidden = shown > 0 || cards.length === 0;
    let text = "Showing " + numbers.format(shown) + " of " + numbers.format(cards.length) +
      (cards.length === 1 ? " map" : " maps");
    if (failed.length > 0)
      text += "; " + numbers.format(failed.length) + " could not be read";
    summary.textContent = text + ".";
  }

  function fromFragment() {
    const state = readState();
    showInControls(state);
    apply(state);
  }

  // Controls write the fragment without adding to the history at each key.
  function fromControls() {
    const state = stateOfControls();
    const wanted = fragmentOf(state);
    if (location.hash.replace(/^#/, "") !== wanted)
      history.replaceState(null, "", wanted === "" ? location.pathname + location.search : "#" + wanted);
    apply(state);
  }

  // The skip link moves the focus itself: following its "#maps" would
  // replace the view in the fragment.
  document.querySelector(".skip").addEventListener("click", (event) => {
    event.preventDefault();
    list.focus();
  });

  controls.addEventListener("input", fromControls);
  controls.addEventListener("change", fromControls);
  controls.addEventListener("submit", (event) => event.preventDefault());
  controls.addEventListener("reset", () => setTimeout(fromControls, 0));
  window.addEventListener("hashchange", fromFragment);
  fromFragment();
})();
