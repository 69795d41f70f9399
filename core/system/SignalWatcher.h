// Waits for the signals that stop a program (SIGINT, SIGTERM, SIGHUP and
// SIGPIPE) in a thread of its own, so that what a signal sets off runs as
// ordinary code, free to lock and allocate, and never inside a signal
// handler. The waiting is the platform's: SignalWatcherPosix.cpp.
#pragma once

#include <functional>
#include <memory>

namespace tessel {

class SignalWatcher {
public:
    // Blocks SIGINT, SIGTERM and SIGHUP in the calling thread, and so in
    // every thread it starts afterwards, and waits for them. SIGPIPE comes
    // from a write to a closed pipe and goes to the writing thread alone,
    // where no other thread could wait for it: a handler only marks it, and
    // the watcher looks for the mark every 50 ms. onSignal runs on the
    // watcher's thread, at most once, with the signal's number. A signal
    // that the process ignores (under nohup, or SIGINT in a background job)
    // stays ignored and is not watched. One watcher at a time. Raises
    // std::system_error when the thread cannot be started.
    explicit SignalWatcher(std::function<void(int signal)> onSignal);
    // Stops waiting and gives back the calling thread's signal mask and the
    // handling of SIGPIPE.
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace tessel
