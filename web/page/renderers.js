// The renderers behind the page: a few Web Workers, each running Tessel's
// core, fed from one queue so that the page itself only builds cards. The
// workers are made from the script text that worker-source.js holds, as a
// Blob: a page opened from disk may not start a worker from a file.
"use strict";

var Renderers = (function () {
  // A worker gets requests in batches: each message costs the page far more
  // than the files it carries. Up to IN_HAND requests wait in a worker, and
  // it is topped up once fewer than REFILL_BELOW are left, so it never runs
  // dry; few enough that a change of the settings is not long held up.
  const IN_HAND = 8;
  const REFILL_BELOW = 4;

  function workerCount() {
    const cores = navigator.hardwareConcurrency || 2;
    return Math.max(1, Math.min(4, cores - 1));
  }

  function create(onStopped) {
    const source = URL.createObjectURL(new Blob([TesselWorkerSource], { type: "text/javascript" }));
    // Requests not yet handed to a worker: urgent ones first, then the
    // queue from head on, in order.
    let urgent = [];
    let queue = [];
    let head = 0;
    let nextId = 1;
    const workers = [];
    let stopReason = "";

    const waitingCount = () => urgent.length + queue.length - head;

    function takeWaiting() {
      if (urgent.length > 0)
        return urgent.shift();
      const entry = queue[head++];
      if (head === queue.length) {
        queue = [];
        head = 0;
      }
      return entry;
    }

    function dispatch() {
      const working = workers.filter((worker) => !worker.stopped);
      if (working.length === 0) {
        while (waitingCount() > 0) {
          const entry = takeWaiting();
          entry.resolve({ id: entry.message.id, made: false, messages: [stopReason] });
        }
      }
      for (const worker of working) {
        if (worker.pending.size >= REFILL_BELOW)
          continue;
        const batch = [];
        while (waitingCount() > 0 && worker.pending.size < IN_HAND) {
          const entry = takeWaiting();
          worker.pending.set(entry.message.id, entry);
          batch.push(entry.message);
        }
        if (batch.length > 0)
          worker.thread.postMessage(batch);
      }
    }

    function settle(worker, answer) {
      const entry = worker.pending.get(answer.id);
      if (!entry)
        return;
      worker.pending.delete(answer.id);
      dispatch();
      entry.resolve(answer);
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
        urgent = Array.from(worker.pending.values()).concat(urgent);
        worker.pending.clear();
        dispatch();
        if (onStopped)
          onStopped(stopReason);
      };
      workers.push(worker);
    }

    function toEveryWorker(message) {
      for (const worker of workers)
        worker.thread.postMessage([message]);
    }

    // Resolves with the worker's answer, or with null once cancelled.
    function request(type, file, side, units, isUrgent) {
      return new Promise((resolve) => {
        const message = { type: type, id: nextId++, file: file, side: side, units: units };
        (isUrgent ? urgent : queue).push({ message: message, resolve: resolve });
        dispatch();
      });
    }

    return {
      // Hands files to every worker, each under its number: [[number, file], ...].
      share: (files) => toEveryWorker({ type: "files", files: files }),
      // The workers let go of every file shared so far.
      forgetFiles: () => toEveryWorker({ type: "forget" }),
      // The minimap of a shared file as a PNG image, with the map's facts.
      png: (number, side, units) => request("png", number, side, units, false),
      // The bitmap tessel-cli writes; it goes before the maps still waiting.
      bmp: (number, side, units) => request("bmp", number, side, units, true),
      // Every request after this one draws with the archive (null: the
      // built-in tileset).
      useArchive: (file) => toEveryWorker({ type: "archive", file: file }),
      // Drops the requests not yet handed to a worker; they resolve with null.
      cancelWaiting() {
        const dropped = queue.slice(head);
        queue = [];
        head = 0;
        for (const entry of dropped)
          entry.resolve(null);
      },
    };
  }

  return { create: create };
})();
