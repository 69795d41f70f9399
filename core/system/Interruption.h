// What a program does when a signal stops it: SIGINT (Ctrl-C), SIGTERM,
// SIGHUP, or SIGPIPE (a message written to a pipe whose reader has gone).
// tessel-cli's render and gallery and the thumbnailer all follow it:
//
//   1. At once, on the signal watcher's thread, every temporary file is
//      removed and every file being written in place is emptied
//      (RemoveTemporaryFilesForExit, TemporaryFiles.h); from then on no
//      output file is made, written or completed, so nothing half-written
//      stays behind and no image appears after the removal.
//   2. The program reports what it finished before, as it chooses.
//   3. It ends with ExitOnSignal plus the signal's number (EndAfterSignal),
//      without waiting for its workers, which may be deep in a large image,
//      and without running anything at exit that they might still use.
#pragma once

#include "system/SignalWatcher.h"

#include <functional>

namespace tessel {

// A program that a signal ends exits with this plus the signal's number.
inline constexpr int ExitOnSignal = 128;

// Watches for the signals while it lives. On the first, removes the
// temporary files (step 1), then calls afterRemoval with the signal's
// number on the watcher's thread. Raises std::system_error when the
// watcher's thread cannot be started.
class InterruptionWatch {
public:
    explicit InterruptionWatch(std::function<void(int signal)> afterRemoval);

private:
    SignalWatcher watcher_;
};

// Ends the process at once with status ExitOnSignal + signal (step 3);
// whatever should reach the user must have been flushed before.
[[noreturn]] void EndAfterSignal(int signal);

}  // namespace tessel
