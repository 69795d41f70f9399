// The page's renderer, run in a Web Worker: Tessel's core (the WebAssembly
// module) makes the minimap of each scenario file it is sent, as tessel-cli
// render would, and answers with the image as PNG or bitmap bytes, the
// map's facts, or the messages tessel-cli prints for a map that fails.
//
// Requests come in arrays, handled in the order they come:
//   {type: "files", files: [[number, File], ...]}  files that later requests name by number
//   {type: "forget"}                               every file given so far
//   {type: "archive", file}  a MAINDAT.WAR to draw with; null for the built-in tileset
//   {type: "png", id, file: number, side, units}
//   {type: "bmp", id, file: number, side, units}
// Each png and bmp request is answered by {id, made, messages, image,
// source (the PNG as a data: URL), facts, milliseconds}.
"use strict";

(function () {
  const SCENARIO = "/scenario.pud";
  const BITMAP = "/minimap.bmp";
  const ARCHIVE_FOLDER = "/archive";
  const ARCHIVE = ARCHIVE_FOLDER + "/MAINDAT.WAR";

  let archiveFile = null;
  let module = null;
  // Each file is handed over once, among others in one message: a file
  // costs the page far more to send alone.
  let files = new Map();

  // The archive stays in the user's file: WORKERFS reads the parts that the
  // core asks for, so no archive is ever copied whole into memory.
  function mountArchive() {
    const fs = module.FS;
    if (fs.analyzePath(ARCHIVE_FOLDER).exists) {
      fs.unmount(ARCHIVE_FOLDER);
      fs.rmdir(ARCHIVE_FOLDER);
    }
    if (archiveFile) {
      fs.mkdir(ARCHIVE_FOLDER);
      fs.mount(fs.filesystems.WORKERFS, { blobs: [{ name: "MAINDAT.WAR", data: archiveFile }] }, ARCHIVE_FOLDER);
    }
    module.forgetArchive();
  }

  function startModule() {
    return createTesselModule().then((started) => {
      module = started;
      mountArchive();
    });
  }

  // A scenario larger than the core reads is copied only up to one byte
  // past the limit: the core then refuses it with its own message.
  function copyScenario(file) {
    const limit = module.maximumScenarioSize;
    const bytes = new FileReaderSync().readAsArrayBuffer(file.slice(0, limit + 1));
    module.FS.writeFile(SCENARIO, new Uint8Array(bytes));
  }

  function archivePath() {
    return archiveFile ? ARCHIVE : "";
  }

  // A data: URL puts the image on the page without registering a blob in
  // the browser, which costs the page's thread more than the whole image.
  function dataUrl(png) {
    let text = "";
    for (let k = 0; k < png.length; k += 8192)
      text += String.fromCharCode.apply(null, png.subarray(k, k + 8192));
    return "data:image/png;base64," + btoa(text);
  }

  function makePng(request) {
    const rendered = module.renderPng(SCENARIO, request.side, request.units, archivePath());
    if (!rendered.made)
      return { made: false, messages: rendered.messages };
    const image = rendered.png;
    return {
      made: true,
      messages: rendered.messages,
      image: image,
      source: dataUrl(image),
      facts: module.facts(SCENARIO),
    };
  }

  function makeBitmap(request) {
    const written = module.writeBitmap(SCENARIO, request.side, request.units, archivePath(), BITMAP);
    if (!written.made)
      return { made: false, messages: written.messages };
    const image = module.FS.readFile(BITMAP);
    module.FS.unlink(BITMAP);
    return { made: true, messages: written.messages, image: image };
  }

  function answer(request) {
    const started = performance.now();
    let result;
    try {
      copyScenario(files.get(request.file));
    } catch (error) {
      result = { made: false, messages: ["Error: the file cannot be read (" + error.name + ")"] };
    }
    result = result || (request.type === "bmp" ? makeBitmap(request) : makePng(request));
    result.id = request.id;
    result.milliseconds = performance.now() - started;
    const transfer = result.image ? [result.image.buffer] : [];
    postMessage(result, transfer);
  }

  function handle(request) {
    if (request.type === "archive") {
      archiveFile = request.file;
      mountArchive();
    } else {
      answer(request);
    }
  }

  let ready = startModule();

  onmessage = (event) => {
    for (const request of event.data) {
      // Files are kept at once, whether the module runs or not.
      if (request.type === "files") {
        for (const [number, file] of request.files)
          files.set(number, file);
        continue;
      }
      if (request.type === "forget") {
        files = new Map();
        continue;
      }
      ready = ready.then(() => handle(request)).catch((error) => {
        // The module did not start, or stopped on a fault inside it: this
        // request fails with the reason, and the next one gets a fresh module.
        if (request.type === "png" || request.type === "bmp")
          postMessage({ id: request.id, made: false, messages: ["Error: " + (error.message || String(error))] });
        return startModule();
      });
    }
  };
})();
