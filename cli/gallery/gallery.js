// The map gallery. The page's table of cards comes in parts (cards/1.js,
// cards/2.js, ...), in name order: the first, small, with the page; the
// others once the first screen of cards is shown, or at once when the view
// needs every map. The view (filter, search and sort) is a list of maps;
// only its cards on or near the screen exist as elements, each placed at
// its spot in a list as tall as all of them, so that thousands of maps stay
// quick. The view lives in the URL fragment
// (#side=64&era=winter&players=8&q=golf&sort=players&copies=hide), so that
// it can be linked and the browser's address bar can set it.
"use strict";

(function () {
  const KEYS = ["side", "era", "players", "q", "sort", "copies"];
  const SORTS = ["name", "side", "players", "gold"];
  const ERAS = ["forest", "winter", "wasteland", "swamp"];
  const RACES = { h: "human", o: "orc", n: "neutral" };

  const byId = (id) => document.getElementById(id);
  const list = byId("maps");
  const controls = byId("controls");
  const summary = byId("summary");
  const noMatch = byId("no-match");
  const template = byId("card-template").content.firstElementChild;
  // Counts in groups of three digits ("5,250"), as the page states them;
  // Intl.NumberFormat would cost more to make than the whole first screen.
  const grouped = (number) => String(number).replace(/\B(?=(\d{3})+$)/g, ",");

  // The table: maps[k] is the k-th map in name order once its part is in,
  // null before.
  const parts = self.galleryParts = self.galleryParts || [];
  const head = parts[0] || { count: 0, parts: 1, failed: 0, copies: 0, previews: false };
  const maps = new Array(head.count).fill(null);
  let partsTaken = 0;
  let complete = false;
  const partsMissing = parts.length === 0 ? ["cards/1.js"] : [];

  function takeParts() {
    for (; partsTaken < parts.length; ++partsTaken) {
      const part = parts[partsTaken];
      part.cards.forEach((record, k) => {
        const [path, side, era, players, description, gold, goldMines, seats, minimap, rescue, copyOf, hasScenario] =
          record;
        maps[part.first + k] = {
          path, side, era, players, description, gold, goldMines, seats, minimap, rescue, copyOf, hasScenario,
          text: null,
        };
      });
    }
    complete = partsTaken + partsMissing.length >= head.parts;
  }

  // The larger picture lies in previews/ as the minimap lies in minimaps/,
  // where the site has them; the scenario's copy beside the minimap.
  const previewOf = (map) => (head.previews ? map.minimap.replace(/^minimaps\//, "previews/") : map.minimap);
  const scenarioOf = (map) => (map.hasScenario ? map.minimap.replace(/\.png$/, ".pud") : null);

  // The file name without its folder and its ".pud".
  function mapName(path) {
    const file = path.slice(path.lastIndexOf("/") + 1);
    return file.replace(/\.pud$/i, "");
  }

  function folderOf(path) {
    const slash = path.lastIndexOf("/");
    return slash < 0 ? "" : path.slice(0, slash);
  }

  // Search compares text without regard to case, with underscores, hyphens
  // and runs of spaces as one space.
  const fold = (text) => text.toLowerCase().replace(/[\s_-]+/g, " ").trim();

  function searchText(map) {
    if (map.text === null)
      map.text = [folderOf(map.path), mapName(map.path), map.description || ""].map(fold).join("\n");
    return map.text;
  }

  // A chip for a computer player, whose race the file fixes. A human player
  // picks a race when the game is set up (the file's is only offered
  // first), so human players get no chip: a race there would mislead.
  function computerChip(seat, index) {
    const chip = document.createElement("span");
    const race = RACES[seat.toLowerCase()];
    chip.className = "chip computer " + race;
    chip.textContent = seat;
    const label = "Player " + (index + 1) + ": computer, " + race;
    chip.title = label;
    chip.setAttribute("role", "img");
    chip.setAttribute("aria-label", label);
    return chip;
  }

  function goldText(map) {
    if (map.goldMines === 0)
      return "no gold mines";
    const mines = map.goldMines === 1 ? "1 mine" : grouped(map.goldMines) + " mines";
    return grouped(map.gold) + " in " + mines;
  }

  function makeCard(map) {
    const card = template.cloneNode(true);
    const name = mapName(map.path);
    card.dataset.map = map.path;
    card.dataset.side = String(map.side);
    card.dataset.era = map.era;
    card.dataset.players = map.players === null ? "" : String(map.players);

    const link = card.querySelector(".minimap");
    link.href = previewOf(map);
    link.setAttribute("aria-label", "Minimap of " + name + ", larger");
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
    card.querySelector(".era").textContent = map.era;
    card.querySelector(".gold").textContent = goldText(map);

    const copy = card.querySelector(".copy-of");
    if (map.copyOf !== null) {
      card.dataset.copyOf = map.copyOf;
      copy.querySelector(".original").textContent = map.copyOf;
      copy.title = "A byte-identical copy of " + map.copyOf;
      copy.hidden = false;
    }
    const download = card.querySelector(".download");
    const scenario = scenarioOf(map);
    if (scenario) {
      download.href = scenario;
      download.download = name + ".pud";
      download.querySelector(".file").textContent = name + ".pud";
    } else {
      download.hidden = true;
    }

    const count = card.querySelector(".count");
    const chips = card.querySelector(".chips");
    if (map.players === null) {
      count.textContent = "Players unknown";
    } else {
      const seats = Array.from(map.seats);
      const humans = seats.filter((seat) => seat !== "-" && seat === seat.toLowerCase()).length;
      count.textContent = humans + " human, " + (map.players - humans) + " computer";
      seats.forEach((seat, index) => {
        if (seat !== "-" && seat !== seat.toLowerCase())
          chips.appendChild(computerChip(seat, index));
      });
    }
    const rescue = card.querySelector(".rescue");
    rescue.textContent = map.rescue > 0 ? "+ " + map.rescue + " rescue" : "";
    rescue.hidden = !(map.rescue > 0);
    return card;
  }

  // The state as the fragment gives it, trimmed, its words in any letter
  // case; unknown values are dropped.
  function readState() {
    const params = new URLSearchParams(location.hash.replace(/^#/, ""));
    const state = {};
    KEYS.forEach((key) => { state[key] = (params.get(key) || "").trim(); });
    state.era = state.era.toLowerCase();
    state.sort = state.sort.toLowerCase();
    state.copies = state.copies.toLowerCase() === "hide" ? "hide" : "";
    if (!ERAS.includes(state.era))
      state.era = "";
    if (!SORTS.includes(state.sort))
      state.sort = "";
    return state;
  }

  function stateOfControls() {
    const state = {};
    KEYS.forEach((key) => { state[key] = byId(key).value.trim(); });
    state.copies = byId("copies").checked ? "hide" : "";
    if (state.sort === "name")
      state.sort = "";
    return state;
  }

  function addOptions(select, values, label) {
    values.forEach((value) => {
      const option = document.createElement("option");
      option.value = String(value);
      option.textContent = label(value);
      select.appendChild(option);
    });
  }

  function showInControls(state) {
    KEYS.forEach((key) => {
      const control = byId(key);
      if (control.type === "checkbox") {
        control.checked = state[key] !== "";
        return;
      }
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

  // Every map in name order: the view the first part can show by itself.
  function showsAll(state) {
    return state.side === "" && state.era === "" && state.players === "" && fold(state.q) === "" &&
      (state.sort === "" || state.sort === "name") && (state.copies === "" || head.copies === 0);
  }

  function matches(map, state, query) {
    return (state.side === "" || String(map.side) === state.side) &&
      (state.era === "" || map.era === state.era) &&
      (state.players === "" || String(map.players) === state.players) &&
      (state.copies === "" || map.copyOf === null) &&
      (query === "" || searchText(map).includes(query));
  }

  // Larger numbers first; unknown numbers last; equal ones by name.
  const numberKeys = { side: (map) => map.side, players: (map) => map.players, gold: (map) => map.gold };
  function byNumber(key) {
    const value = numberKeys[key];
    return (a, b) => {
      const x = value(maps[a]), y = value(maps[b]);
      if (x !== y) {
        if (x === null) return 1;
        if (y === null) return -1;
        return y - x;
      }
      return a - b;
    };
  }

  // The view: the places in name order of its maps, in its order (at,
  // indexOf, length, as of an array); null while it waits for the rest of
  // the table.
  let view = null;

  // Every map in name order, the first screen's view, needs no list.
  const everyMap = (length) => ({ length, at: (position) => position, indexOf: (k) => (k < length ? k : -1) });

  function viewOf(state) {
    // While the table comes in, every map keeps its place.
    if (showsAll(state) && (!complete || maps.every((map) => map !== null)))
      return everyMap(maps.length);
    const query = fold(state.q);
    const places = [];
    for (let k = 0; k < maps.length; ++k) {
      if (maps[k] !== null && matches(maps[k], state, query))
        places.push(k);
    }
    if (state.sort in numberKeys)
      places.sort(byNumber(state.sort));
    return places;
  }

  // Where the cards go: the grid's columns as the style sheet makes them,
  // and the height that every card has.
  const grid = { columns: 1, width: 0, columnGap: 0, rowGap: 0, pitch: 0, cardHeight: 0 };

  function measureGrid() {
    const style = getComputedStyle(list);
    const tracks = style.gridTemplateColumns.split(" ").map(parseFloat);
    grid.columns = Math.max(1, tracks.length);
    grid.width = tracks[0] || list.clientWidth;
    grid.columnGap = parseFloat(style.columnGap) || 0;
    grid.rowGap = parseFloat(style.rowGap) || 0;
    grid.cardHeight = 0;
  }

  function place(card, position) {
    const row = Math.floor(position / grid.columns);
    const column = position % grid.columns;
    card.style.width = grid.width + "px";
    card.style.transform = "translate(" + column * (grid.width + grid.columnGap) + "px, " + row * grid.pitch + "px)";
    card.setAttribute("aria-posinset", String(position + 1));
    card.setAttribute("aria-setsize", String(view.length));
  }

  // Cards on the page by their map's place in name order, and back.
  let shown = new Map();
  const placeOf = new WeakMap();

  // Every card has the same height; one card placed tells it.
  function measureCards() {
    let position = 0;
    while (position < view.length && maps[view.at(position)] === null)
      ++position;
    if (position === view.length)
      return;
    const first = view.at(position);
    const card = shown.get(first) || makeCard(maps[first]);
    card.style.width = grid.width + "px";
    if (!card.isConnected)
      list.append(card);
    shown.set(first, card);
    grid.cardHeight = card.getBoundingClientRect().height;
    grid.pitch = grid.cardHeight + grid.rowGap;
    const rows = Math.ceil(view.length / grid.columns);
    list.style.height = rows * grid.pitch - grid.rowGap + "px";
  }

  // The places in the view of the cards that should exist: those within
  // half a screen of it, and the card that holds the focus.
  function wantedPositions() {
    const box = list.getBoundingClientRect();
    const margin = innerHeight / 2;
    const firstRow = Math.max(0, Math.floor((-box.top - margin) / grid.pitch));
    const lastRow = Math.floor((innerHeight - box.top + margin) / grid.pitch);
    const positions = [];
    for (let p = firstRow * grid.columns; p < Math.min(view.length, (lastRow + 1) * grid.columns); ++p)
      positions.push(p);
    const focused = document.activeElement && document.activeElement.closest(".card");
    if (focused && focused.parentNode === list) {
      const position = view.indexOf(placeOf.get(focused));
      if (position >= 0 && !positions.includes(position)) {
        positions.push(position);
        positions.sort((a, b) => a - b);
      }
    }
    return positions;
  }

  function render() {
    if (view === null)
      return;
    if (view.length === 0) {
      list.style.height = "0";
    } else if (grid.cardHeight === 0) {
      measureCards();
    }
    const next = new Map();
    if (grid.cardHeight > 0) {
      for (const position of wantedPositions()) {
        const k = view.at(position);
        if (maps[k] === null)
          continue;
        const card = shown.get(k) || makeCard(maps[k]);
        placeOf.set(card, k);
        place(card, position);
        next.set(k, card);
      }
    }
    shown.forEach((card, k) => { if (!next.has(k)) card.remove(); });
    // Cards in the order of the view, so that the keyboard goes through them
    // in it; a card already in its place is not moved, and keeps the focus.
    let cursor = list.firstElementChild;
    next.forEach((card) => {
      if (card === cursor)
        cursor = cursor.nextElementSibling;
      else
        list.insertBefore(card, cursor);
    });
    shown = next;
  }

  let renderPending = false;
  function renderSoon() {
    if (!renderPending) {
      renderPending = true;
      requestAnimationFrame(() => { renderPending = false; render(); });
    }
  }

  function summaryText(count) {
    let text = "Showing " + grouped(count) + " of " + grouped(maps.length) +
      (maps.length === 1 ? " map" : " maps");
    if (head.failed > 0)
      text += "; " + grouped(head.failed) + " could not be read";
    if (partsMissing.length > 0)
      text += "; the page's table " + partsMissing.join(", ") + " did not load";
    return text + ".";
  }

  function setText(element, text) {
    if (element.textContent !== text)
      element.textContent = text;
  }

  let state = null;

  function apply(next) {
    state = next;
    if (!complete && !showsAll(state)) {
      // The view needs every map: nothing shows until the table is in.
      view = null;
      shown.forEach((card) => card.remove());
      shown = new Map();
      list.style.height = "0";
      list.classList.add("waiting");
      setText(summary, "Loading " + grouped(maps.length) + (maps.length === 1 ? " map\u2026" : " maps\u2026"));
      loadTheRest();
      return;
    }
    list.classList.remove("waiting");
    view = viewOf(state);
    grid.cardHeight = 0;
    render();
    noMatch.hidden = view.length > 0 || maps.length === 0;
    setText(summary, summaryText(view.length));
  }

  function fromFragment() {
    const next = readState();
    showInControls(next);
    apply(next);
  }

  // Controls write the fragment without adding to the history at each key.
  function fromControls() {
    const next = stateOfControls();
    const wanted = fragmentOf(next);
    if (location.hash.replace(/^#/, "") !== wanted)
      history.replaceState(null, "", wanted === "" ? location.pathname + location.search : "#" + wanted);
    apply(next);
  }

  function partArrived() {
    takeParts();
    if (!complete) {
      if (showsAll(state))
        render();
      return;
    }
    list.removeAttribute("aria-busy");
    apply(state);
  }

  // The other parts, all at once; each is taken in as it comes.
  let loading = false;
  function loadTheRest() {
    if (loading || complete)
      return;
    loading = true;
    for (let number = 2; number <= head.parts; ++number) {
      const script = document.createElement("script");
      script.src = "cards/" + number + ".js";
      script.onload = partArrived;
      script.onerror = () => {
        partsMissing.push("cards/" + number + ".js");
        partArrived();
      };
      document.head.appendChild(script);
    }
  }

  // The rest of the table waits until the first screen of cards is on the
  // screen, images and all, so that it takes nothing from them.
  function loadAfterFirstScreen() {
    const later = () => requestAnimationFrame(() => requestAnimationFrame(loadTheRest));
    if (document.readyState === "complete")
      later();
    else
      addEventListener("load", later, { once: true });
  }

  takeParts();
  if (!complete)
    list.setAttribute("aria-busy", "true");

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
  addEventListener("hashchange", fromFragment);
  addEventListener("scroll", renderSoon, { passive: true });
  // A card that takes the focus brings its neighbours at once, so that the
  // next key finds them.
  list.addEventListener("focusin", render);
  let width = list.clientWidth;
  new ResizeObserver(() => {
    if (list.clientWidth !== width) {
      width = list.clientWidth;
      measureGrid();
      render();
    }
  }).observe(list);

  measureGrid();
  fromFragment();
  if (!complete && showsAll(state))
    loadAfterFirstScreen();
})();
