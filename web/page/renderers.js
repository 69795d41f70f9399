// The renderers behind the page: a few Web Workers, each running Tessel's
// core, fed from one queue so that the page itself only builds cards. The
// workers are made from the script text that worker-source.js holds, as a
// Blob: a page opened from disk may not start a worker from a file.
"use strict";

var Renderers = (function () {
  // Two requests in each worker's hands hide the time a message takes to
  // travel; more would only delay a change of the settings.
  const REQUESTS_PER_WORKER = 2;

  function workerCount() {
    const cores = navigator.hardwareConcurrency || 2;
    return Math.max(1, Math.min(4, cores - 1));
  }

  function create(onStopped) {
    const source = URL.createObjectURL(new Blob([TesselWorkerSource], { type: "text/javascript" }));
    const waiting = [];  // requests not yet handed to a worker, in order
    let nextId = 1;
    const workers = [];
    let stopReason = "";

    function dispatch() {
      const working = workers.filter((worker) => !worker.stopped);
      if (working.length === 0) {
        for (const entry of waiting.splice(0))
          entry.resolve({ id: entry.message.id, made: false, messages: [stopReason] });
      }
      for (const worker of working) {
        while (waiting.length > 0 && worker.pending.size < REQUESTS_PER_WORKER) {
          const request = waiting.shift();
          worker.pending.set(request.message.id, request);
          worker.thread.postMessage(request.message);
        }
      }
    }

    function settle(worker, answer) {
      const request = worker.pending.get(answer.id);
      if (!request)
        return;
      worker.pending.delete(answer.id);
      dispatch();
      request.resolve(answer);
    }

    for (let k = 0; k < workerCount(); k++) {
      const worker = { thread: new Worker(source), pending: new Map(), stopped: false };
      worker.thread.onmessage = (event) => settle(worker, event.data);
      // A worker whose script failed cannot go on: its requests go to the
      // others, or fail with the reason when none is left.
      worker.thread.onerror = (event) => {
        event.preventDefault();
        worker.stopped = true;
        stopReason = "Error: the renderer stopped (" + (event.message || "unknown failure") + ")";
        waiting.unshift(...worker.pending.values());
        worker.pending.clear();
        dispatch();
        if (onStopped)
          onStopped(stopReason);
      };
      workers.push(worker);
    }

    // Resolves with the worker's answer, or with null once cancelled.
    function request(type, file, side, units, first) {
      return new Promise((resolve) => {
        const message = { type: type, id: nextId++, file: file, side: side, units: units };
        const entry = { message: message, resolve: resolve };
        first ? waiting.unshift(entry) : waiting.push(entry);
        dispatch();
      });
    }

    return {
      // The minimap as a PNG image, with the map's facts.
      png: (file, side, units) => request("png", file, side, units, false),
      // The bitmap tessel-cli writes; it goes before the maps still waiting.
      bmp: (file, side, units) => request("bmp", file, side, units, true),
      // Every request after this one draws with the archive (null: the
      // built-in tileset).
      useArchive(file) {
        for (const worker of workers)
          worker.thread.postMessage({ type: "archive", file: file });
      },
      // Drops the requests not yet handed to a worker; they resolve with null.
      cancelWaiting() {
        for (const entry of waiting.splice(0))
          entry.resolve(null);
      },
    };
  }

  return { create: create };
})();
