// Lighthouse over a gallery folder, served from a static server of its own on
// loopback, in Debian's headless Chromium with simulated throttling. Prints
// the figures of every run; with limits given, checks them and exits 1 when
// one is missed.
//
//   node gallery-lighthouse.mjs SITE mobile|desktop TRIES [LIMITS]
//
// LIMITS: --performance=N (the best of up to TRIES runs must reach it; runs
// stop once one does), --accessibility=N, --best-practices=N (every run),
// --layout-shift=X (every run's cumulative layout shift at most X).
// With LIGHTHOUSE_REPORTS set to a folder, each run's whole report is kept
// there as FORM-RUN.json.
import * as chromeLauncher from "chrome-launcher";
import lighthouse from "lighthouse";
import desktopConfig from "lighthouse/core/config/desktop-config.js";

import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";

const TYPES = {
  ".html": "text/html; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".json": "application/json",
  ".png": "image/png",
  ".svg": "image/svg+xml",
};

// Files below root only; anything else is a 404.
function serve(root) {
  const server = http.createServer((request, response) => {
    let file;
    try {
      const url = new URL(request.url, "http://localhost");
      file = path.join(root, decodeURIComponent(url.pathname));
    } catch {
      file = "";
    }
    if (file.endsWith(path.sep))
      file = path.join(file, "index.html");
    const inside = file.startsWith(root + path.sep);
    fs.readFile(file, (error, body) => {
      if (!inside || error) {
        response.writeHead(404, { "Content-Type": "text/plain" });
        response.end("not found");
        return;
      }
      response.writeHead(200, { "Content-Type": TYPES[path.extname(file)] || "application/octet-stream" });
      response.end(body);
    });
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

const CHROME_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
  "--disable-background-networking", "--disable-component-update", "--disable-sync"];

async function audit(url, form) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), "tessel-lighthouse-"));
  const chrome = await chromeLauncher.launch({
    chromePath: process.env.CHROME_PATH || "/usr/bin/chromium",
    chromeFlags: CHROME_FLAGS,
    userDataDir: profile,
    logLevel: "silent",
  });
  try {
    const flags = {
      port: chrome.port,
      output: "json",
      logLevel: "error",
      onlyCategories: ["performance", "accessibility", "best-practices"],
    };
    const result = await lighthouse(url, flags, form === "desktop" ? desktopConfig : undefined);
    return result.lhr;
  } finally {
    await chrome.kill();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

function figures(lhr) {
  const score = (category) => Math.round(lhr.categories[category].score * 100);
  const value = (id) => lhr.audits[id].numericValue;
  return {
    performance: score("performance"),
    accessibility: score("accessibility"),
    bestPractices: score("best-practices"),
    layoutShift: value("cumulative-layout-shift"),
    firstPaint: value("first-contentful-paint"),
    largestPaint: value("largest-contentful-paint"),
    blocking: value("total-blocking-time"),
    speedIndex: value("speed-index"),
    domElements: lhr.audits["dom-size"].numericValue,
  };
}

// The audits of a category that did not pass, for a failure's report.
function failedAudits(lhr, category) {
  return lhr.categories[category].auditRefs
    .filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score !== null && lhr.audits[ref.id].score < 1)
    .map((ref) => ref.id + " (" + lhr.audits[ref.id].title + ")");
}

function line(form, run, f) {
  const seconds = (ms) => (ms / 1000).toFixed(2) + " s";
  return `${form} run ${run}: performance ${f.performance}, accessibility ${f.accessibility}, ` +
    `best practices ${f.bestPractices}, layout shift ${f.layoutShift.toFixed(3)}, ` +
    `first contentful paint ${seconds(f.firstPaint)}, largest contentful paint ${seconds(f.largestPaint)}, ` +
    `total blocking time ${Math.round(f.blocking)} ms, speed index ${seconds(f.speedIndex)}, ` +
    `DOM elements ${f.domElements}`;
}

async function main() {
  const [site, form, triesText, ...options] = process.argv.slice(2);
  const tries = Number(triesText);
  if (!site || !["mobile", "desktop"].includes(form) || !(tries >= 1 && tries <= 5)) {
    console.error("usage: node gallery-lighthouse.mjs SITE mobile|desktop TRIES(1-5) [--performance=N] " +
      "[--accessibility=N] [--best-practices=N] [--layout-shift=X]");
    return 2;
  }
  const limits = Object.fromEntries(options.map((option) => {
    const [key, value] = option.replace(/^--/, "").split("=");
    return [key, Number(value)];
  }));

  const server = await serve(fs.realpathSync(site));
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  const problems = [];
  let best = -1;
  try {
    for (let run = 1; run <= tries; ++run) {
      const lhr = await audit(url, form);
      if (lhr.runtimeError)
        throw new Error(lhr.runtimeError.code + ": " + lhr.runtimeError.message);
      if (process.env.LIGHTHOUSE_REPORTS)
        fs.writeFileSync(path.join(process.env.LIGHTHOUSE_REPORTS, `${form}-${run}.json`), JSON.stringify(lhr));
      const f = figures(lhr);
      console.log(line(form, run, f));
      best = Math.max(best, f.performance);
      if ("accessibility" in limits && f.accessibility < limits.accessibility)
        problems.push(`run ${run}: accessibility ${f.accessibility}: ` + failedAudits(lhr, "accessibility").join(", "));
      if ("best-practices" in limits && f.bestPractices < limits["best-practices"])
        problems.push(`run ${run}: best practices ${f.bestPractices}: ` +
          failedAudits(lhr, "best-practices").join(", "));
      if ("layout-shift" in limits && !(f.layoutShift <= limits["layout-shift"]))
        problems.push(`run ${run}: layout shift ${f.layoutShift.toFixed(3)} above ${limits["layout-shift"]}`);
      if (!("performance" in limits) || best >= limits.performance)
        break;
    }
  } finally {
    server.close();
  }
  if ("performance" in limits && best < limits.performance)
    problems.push(`performance: best of ${tries} runs ${best}, below ${limits.performance}`);
  for (const problem of problems)
    console.error("FAILED " + form + ": " + problem);
  return problems.length === 0 ? 0 : 1;
}

process.exitCode = await main();
