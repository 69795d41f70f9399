// The page: scenario files chosen or dropped become cards, each filled in
// when a renderer answers with its minimap and facts, or with the messages
// of a map that failed. Changing the side, the units or the archive draws
// every card again. Nothing leaves the browser.
"use strict";

(function () {
  const byId = (id) => document.getElementById(id);
  const list = byId("maps");
  const summary = byId("summary");
  const sideInput = byId("side");
  const unitsInput = byId("units");
  const archiveInput = byId("archive");
  const numbers = new Intl.NumberFormat("en");
  const template = byId("card-template").content.firstElementChild;

  const maps = [];           // {name, stem, number, parts, image, made, generation, removed}
  const takenImages = new Set();  // image names in lower case: downloads never clash
  let generation = 0;        // answers for earlier settings are dropped
  let nextNumber = 1;        // the workers know each file by its number
  let archive = null;

  const renderers = Renderers.create((reason) => {
    const stopped = byId("stopped");
    stopped.textContent = reason;
    stopped.hidden = false;
  });

  function settings() {
    return { side: Number(sideInput.value), units: unitsInput.checked };
  }

  // ---- names: the file name, and "-2", "-3" ... before the extension of
  // a later file whose image name is taken, as tessel-cli numbers outputs.
  function splitName(name) {
    const dot = name.lastIndexOf(".");
    return dot < 0 ? [name, ""] : [name.slice(0, dot), name.slice(dot)];
  }

  function takeName(fileName) {
    const [stem, extension] = splitName(fileName);
    let name = fileName;
    let taken = stem;
    for (let number = 2; takenImages.has((taken + ".png").toLowerCase()); number++) {
      taken = stem + "-" + number;
      name = taken + extension;
    }
    takenImages.add((taken + ".png").toLowerCase());
    return { name: name, stem: taken };
  }

  // ---- cards
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

  function goldText(facts) {
    if (facts.gold_mines === 0)
      return "no gold mines";
    const mines = facts.gold_mines === 1 ? "1 mine" : numbers.format(facts.gold_mines) + " mines";
    return numbers.format(facts.gold) + " in " + mines;
  }

  // A card, with its parts at hand: hundreds are filled in as answers come.
  function makeCard(map) {
    const card = template.cloneNode(true);
    const part = (selector) => card.querySelector(selector);
    card.dataset.map = map.name;
    part(".name").textContent = map.name;
    map.parts = {
      card: card,
      minimap: part(".minimap"),
      image: part("img"),
      messages: part(".messages"),
      facts: part(".facts-area"),
      description: part(".description"),
      side: part(".side"),
      era: part(".era"),
      gold: part(".gold"),
      count: part(".count"),
      chips: part(".chips"),
      downloads: part(".downloads"),
    };
    map.parts.image.alt = "Minimap of " + map.name;
    const png = part(".download-png");
    png.setAttribute("aria-label", "Download " + map.stem + ".png");
    png.addEventListener("click", () => save(map.image, "image/png", map.stem + ".png"));
    const bmp = part(".download-bmp");
    bmp.setAttribute("aria-label", "Download " + map.stem + ".bmp");
    bmp.addEventListener("click", () => downloadBitmap(map));
    card.setAttribute("aria-busy", "true");
    return card;
  }

  function showFacts(parts, facts) {
    parts.description.textContent = facts.description || "";
    parts.description.hidden = parts.description.textContent === "";
    parts.side.textContent = facts.side + " \u00d7 " + facts.side;
    parts.era.textContent = facts.era_name;
    parts.gold.textContent = goldText(facts);
    parts.chips.replaceChildren();
    if (facts.players === null) {
      parts.count.textContent = "Players unknown";
    } else {
      parts.count.textContent = facts.players === 1 ? "1 player" : facts.players + " players";
      facts.slots.forEach((slot, index) => {
        if (slot.controller === "human" || slot.controller === "computer")
          parts.chips.appendChild(playerChip(slot, index));
      });
    }
    parts.facts.hidden = false;
  }

  function showMessages(parts, messages) {
    parts.messages.replaceChildren(...messages.map((text) => {
      const line = document.createElement("p");
      line.className = "message";
      line.textContent = text;
      return line;
    }));
    parts.messages.hidden = messages.length === 0;
  }

  function showFailure(parts, messages) {
    parts.card.dataset.failed = parts.card.dataset.map;
    showMessages(parts, messages);
    parts.facts.hidden = true;
    parts.minimap.hidden = true;
    parts.downloads.hidden = true;
  }

  function show(map, answer) {
    const parts = map.parts;
    parts.card.removeAttribute("aria-busy");
    map.made = answer.made;
    map.image = null;
    if (!answer.made) {
      showFailure(parts, answer.messages);
      return;
    }
    delete parts.card.dataset.failed;
    showMessages(parts, answer.messages);
    map.image = answer.image;
    parts.image.src = answer.source;
    parts.minimap.hidden = false;
    parts.downloads.hidden = false;
    showFacts(parts, answer.facts);
  }

  // ---- the status line, redrawn at most once a frame
  let summaryPlanned = false;
  function planSummary() {
    if (summaryPlanned)
      return;
    summaryPlanned = true;
    requestAnimationFrame(() => {
      summaryPlanned = false;
      const done = maps.filter((map) => map.generation === generation && map.made !== null);
      const failed = done.filter((map) => !map.made).length;
      let text = maps.length === 0 ? "" : done.length + " of " + maps.length + " drawn";
      if (failed > 0)
        text += ", " + failed + " failed";
      text += maps.length === 0 ? "" : archive ? ", in the colours of " + archive.name : ", with the built-in tileset";
      summary.textContent = text;
      const allDrawn = done.length === maps.length;
      byId("download-zip").disabled = !allDrawn || done.length === failed;
      byId("clear").disabled = maps.length === 0;
      byId("empty").hidden = maps.length > 0;
      document.body.classList.toggle("drawing", done.length < maps.length);
    });
  }

  function draw(map) {
    const wanted = generation;
    const { side, units } = settings();
    map.generation = wanted;
    map.made = null;
    renderers.png(map.number, side, units).then((answer) => {
      if (answer === null || map.generation !== wanted || map.removed)
        return;
      show(map, answer);
      planSummary();
    });
  }

  function drawAll() {
    generation++;
    renderers.cancelWaiting();
    for (const map of maps) {
      map.parts.card.setAttribute("aria-busy", "true");
      draw(map);
    }
    planSummary();
  }

  // Files wait here to become cards, a slice per task, so that the page
  // answers at once even when hundreds are dropped (handing a file to the
  // workers costs the page about half a millisecond).
  const CARDS_PER_TASK = 25;
  const incoming = [];
  let adding = false;

  function addSome() {
    const files = incoming.splice(0, CARDS_PER_TASK);
    const cards = document.createDocumentFragment();
    const added = files.map((file) => {
      const map = Object.assign(takeName(file.name), { number: nextNumber++, image: null, made: null });
      maps.push(map);
      cards.appendChild(makeCard(map));
      return map;
    });
    renderers.share(added.map((map, index) => [map.number, files[index]]));
    added.forEach(draw);
    list.appendChild(cards);
    planSummary();
    adding = incoming.length > 0;
    if (adding)
      setTimeout(addSome, 0);
  }

  function addFiles(files) {
    incoming.push(...files);
    if (!adding && incoming.length > 0) {
      adding = true;
      addSome();
    }
  }

  function removeAll() {
    incoming.length = 0;
    generation++;
    renderers.cancelWaiting();
    renderers.forgetFiles();
    for (const map of maps)
      map.removed = true;
    maps.length = 0;
    takenImages.clear();
    list.replaceChildren();
    planSummary();
  }

  // ---- downloads
  function save(bytes, type, name) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([bytes], { type: type }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    // The download has taken its copy once the click has been handled.
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  function downloadBitmap(map) {
    const { side, units } = settings();
    renderers.bmp(map.number, side, units).then((answer) => {
      if (answer && answer.made)
        save(answer.image, "image/bmp", map.stem + ".bmp");
      else if (answer)
        showMessages(map.parts, answer.messages);
    });
  }

  // Every image as it is shown, stored without compressing again.
  function downloadZip() {
    const entries = {};
    for (const map of maps)
      if (map.made && map.image)
        entries[map.stem + ".png"] = [map.image, { level: 0 }];
    save(fflate.zipSync(entries), "application/zip", "minimaps.zip");
  }

  // ---- files from folders: every scenario below them, as tessel-cli finds them
  const isScenario = (name) => /\.pud$/i.test(name);

  function entriesOf(reader) {
    return new Promise((resolve, reject) => {
      const all = [];
      // A folder answers in batches until one comes back empty.
      const next = () => reader.readEntries((batch) => {
        if (batch.length === 0)
          resolve(all);
        else {
          all.push(...batch);
          next();
        }
      }, reject);
      next();
    });
  }

  async function filesBelow(entry) {
    if (entry.isFile)
      return isScenario(entry.name) ? [await new Promise((resolve, reject) => entry.file(resolve, reject))] : [];
    const files = [];
    const children = await entriesOf(entry.createReader());
    children.sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
    for (const child of children)
      files.push(...(await filesBelow(child)));
    return files;
  }

  async function droppedFiles(transfer) {
    const entries = Array.from(transfer.items || [])
      .filter((item) => item.kind === "file")
      .map((item) => (item.webkitGetAsEntry ? item.webkitGetAsEntry() : null));
    if (entries.length === 0 || entries.some((entry) => entry === null))
      return Array.from(transfer.files);
    const files = [];
    for (const entry of entries) {
      if (entry.isFile)
        files.push(await new Promise((resolve, reject) => entry.file(resolve, reject)));
      else
        files.push(...(await filesBelow(entry)));
    }
    return files;
  }

  // ---- controls
  byId("scenarios").addEventListener("change", (event) => {
    addFiles(Array.from(event.target.files));
    event.target.value = "";
  });

  byId("scenario-folder").addEventListener("change", (event) => {
    const files = Array.from(event.target.files).filter((file) => isScenario(file.name));
    files.sort((a, b) => (a.webkitRelativePath < b.webkitRelativePath ? -1 : 1));
    addFiles(files);
    event.target.value = "";
  });

  function useArchive(file) {
    archive = file;
    renderers.useArchive(file);
    byId("tileset").textContent = file ? "Drawn in the colours of " + file.name : "Drawn with the built-in tileset";
    byId("forget-archive").hidden = !file;
    drawAll();
  }

  archiveInput.addEventListener("change", () => {
    if (archiveInput.files.length > 0)
      useArchive(archiveInput.files[0]);
  });

  byId("forget-archive").addEventListener("click", () => {
    archiveInput.value = "";
    useArchive(null);
    archiveInput.focus();
  });

  // A side the input refuses keeps the last good one.
  let drawnSide = sideInput.value;
  sideInput.addEventListener("change", () => {
    if (!sideInput.checkValidity() || sideInput.value === "") {
      sideInput.value = drawnSide;
      return;
    }
    drawnSide = sideInput.value;
    drawAll();
  });
  unitsInput.addEventListener("change", drawAll);
  byId("download-zip").addEventListener("click", downloadZip);
  byId("clear").addEventListener("click", removeAll);
  byId("controls").addEventListener("submit", (event) => event.preventDefault());

  // Files dropped anywhere on the page.
  let dragDepth = 0;
  const dragsFiles = (event) => Array.from(event.dataTransfer.types || []).includes("Files");
  document.addEventListener("dragenter", (event) => {
    if (!dragsFiles(event))
      return;
    dragDepth++;
    document.body.classList.add("dropping");
  });
  document.addEventListener("dragleave", () => {
    dragDepth = Math.max(0, dragDepth - 1);
    if (dragDepth === 0)
      document.body.classList.remove("dropping");
  });
  document.addEventListener("dragover", (event) => {
    if (dragsFiles(event)) {
      event.preventDefault();
      event.dataTransfer.dropEffect = "copy";
    }
  });
  document.addEventListener("drop", (event) => {
    event.preventDefault();
    dragDepth = 0;
    document.body.classList.remove("dropping");
    droppedFiles(event.dataTransfer).then(addFiles, (error) => {
      summary.textContent = "The dropped files cannot be read: " + error.message;
    });
  });

  planSummary();
})();
