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

  const maps = [];           // {name, stem, file, card, image, url, made, generation}
  const takenImages = new Set();  // image names in lower case: downloads never clash
  let generation = 0;        // answers for earlier settings are dropped
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

  function makeCard(map) {
    const card = template.cloneNode(true);
    card.dataset.map = map.name;
    card.querySelector(".name").textContent = map.name;
    card.querySelector("img").alt = "Minimap of " + map.name;
    const png = card.querySelector(".download-png");
    png.download = map.stem + ".png";
    png.setAttribute("aria-label", "Download " + map.stem + ".png");
    const bmp = card.querySelector(".download-bmp");
    bmp.setAttribute("aria-label", "Download " + map.stem + ".bmp");
    bmp.addEventListener("click", () => downloadBitmap(map));
    card.setAttribute("aria-busy", "true");
    return card;
  }

  function showFacts(card, facts) {
    const description = card.querySelector(".description");
    description.textContent = facts.description || "";
    description.hidden = description.textContent === "";
    card.querySelector(".side").textContent = facts.side + " \u00d7 " + facts.side;
    card.querySelector(".era").textContent = facts.era_name;
    card.querySelector(".gold").textContent = goldText(facts);
    const count = card.querySelector(".count");
    const chips = card.querySelector(".chips");
    chips.replaceChildren();
    if (facts.players === null) {
      count.textContent = "Players unknown";
    } else {
      count.textContent = facts.players === 1 ? "1 player" : facts.players + " players";
      facts.slots.forEach((slot, index) => {
        if (slot.controller === "human" || slot.controller === "computer")
          chips.appendChild(playerChip(slot, index));
      });
    }
    card.querySelector(".facts-area").hidden = false;
  }

  function showMessages(card, messages) {
    const area = card.querySelector(".messages");
    area.replaceChildren(...messages.map((text) => {
      const line = document.createElement("p");
      line.className = "message";
      line.textContent = text;
      return line;
    }));
    area.hidden = messages.length === 0;
  }

  function showFailure(card, messages) {
    card.dataset.failed = card.dataset.map;
    showMessages(card, messages);
    card.querySelector(".facts-area").hidden = true;
    card.querySelector(".minimap").hidden = true;
    card.querySelector(".downloads").hidden = true;
  }

  function forgetImage(map) {
    if (map.url)
      URL.revokeObjectURL(map.url);
    map.url = null;
    map.image = null;
  }

  function show(map, answer) {
    const card = map.card;
    card.removeAttribute("aria-busy");
    map.made = answer.made;
    forgetImage(map);
    if (!answer.made) {
      showFailure(card, answer.messages);
      return;
    }
    delete card.dataset.failed;
    showMessages(card, answer.messages);
    map.image = new Blob([answer.image], { type: "image/png" });
    map.url = URL.createObjectURL(map.image);
    card.querySelector("img").src = map.url;
    card.querySelector(".download-png").href = map.url;
    card.querySelector(".minimap").hidden = false;
    card.querySelector(".downloads").hidden = false;
    showFacts(card, answer.facts);
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
    renderers.png(map.file, side, units).then((answer) => {
      if (answer === null || map.generation !== wanted || !maps.includes(map))
        return;
      show(map, answer);
      planSummary();
    });
  }

  function drawAll() {
    generation++;
    renderers.cancelWaiting();
    for (const map of maps) {
      map.card.setAttribute("aria-busy", "true");
      draw(map);
    }
    planSummary();
  }

  function addFiles(files) {
    const cards = document.createDocumentFragment();
    for (const file of files) {
      const map = Object.assign(takeName(file.name), { file: file, image: null, url: null, made: null });
      map.card = makeCard(map);
      maps.push(map);
      cards.appendChild(map.card);
      draw(map);
    }
    list.appendChild(cards);
    planSummary();
  }

  function removeAll() {
    generation++;
    renderers.cancelWaiting();
    maps.forEach(forgetImage);
    maps.length = 0;
    takenImages.clear();
    list.replaceChildren();
    planSummary();
  }

  // ---- downloads
  function save(blob, name) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    // The download has taken its copy once the click has been handled.
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  function downloadBitmap(map) {
    const { side, units } = settings();
    renderers.bmp(map.file, side, units).then((answer) => {
      if (answer && answer.made)
        save(new Blob([answer.image], { type: "image/bmp" }), map.stem + ".bmp");
      else if (answer)
        showMessages(map.card, answer.messages);
    });
  }

  // Every image as it is shown, stored without compressing again.
  function downloadZip() {
    const made = maps.filter((map) => map.made && map.image);
    Promise.all(made.map((map) => map.image.arrayBuffer())).then((buffers) => {
      const entries = {};
      made.forEach((map, index) => {
        entries[map.stem + ".png"] = [new Uint8Array(buffers[index]), { level: 0 }];
      });
      save(new Blob([fflate.zipSync(entries)], { type: "application/zip" }), "minimaps.zip");
    });
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
