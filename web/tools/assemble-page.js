// Writes the web page into a folder: the page's own files (its style sheet
// after the gallery's look), the zip library, and worker-source.js, which
// holds the renderer's whole script (the WebAssembly module with the core
// and its PNG encoder inside, and the worker) as one string, from which the
// page makes its workers.
//
//   node assemble-page.js DIST WEB_SOURCE_FOLDER MODULE_JS FFLATE_JS LOOK_CSS
"use strict";

const fs = require("fs");
const path = require("path");

const [dist, web, modulePath, fflatePath, lookPath] = process.argv.slice(2);
if (!lookPath) {
  console.error("usage: assemble-page.js DIST WEB_SOURCE_FOLDER MODULE_JS FFLATE_JS LOOK_CSS");
  process.exit(2);
}

const read = (file) => fs.readFileSync(file, "utf8");
const page = (name) => path.join(web, "page", name);
const worker = (name) => path.join(web, "worker", name);
const fflateLicense = path.join(path.dirname(fflatePath), "..", "LICENSE");
const notice = "// fflate " + JSON.parse(read(path.join(path.dirname(fflatePath), "..", "package.json"))).version +
  ", MIT License; see fflate-LICENSE.txt\n";

const files = {
  "index.html": read(page("index.html")),
  "tessel.css": read(lookPath) + "\n" + read(page("tessel.css")),
  "page.js": read(page("page.js")),
  "renderers.js": read(page("renderers.js")),
  "fflate.js": notice + read(fflatePath),
  "fflate-LICENSE.txt": read(fflateLicense),
};
const workerScript = [read(modulePath), read(worker("minimap-worker.js"))].join("\n;\n");
files["worker-source.js"] = "// The renderer's script, made into workers by renderers.js. Generated.\n" +
  "var TesselWorkerSource = " + JSON.stringify(workerScript) + ";\n";

// Written beside and renamed, so that a page being read is never half new.
fs.mkdirSync(dist, { recursive: true });
for (const [name, text] of Object.entries(files)) {
  const target = path.join(dist, name);
  fs.writeFileSync(target + ".part", text);
  fs.renameSync(target + ".part", target);
}
