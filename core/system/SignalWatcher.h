// Waits for SIGINT, SIGTERM, SIGHUP and SIGPIPE in a thread of its own, so
// that what a signal sets off runs as ordinary code, free to lock and
// allocate, and never inside a signal handler.
#pragma once

#include <atomic>
#include <functional>
#include <signal.h>
#include <thread>

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
    // stays ignored and is not watched. One watcher at a time.
    explicit SignalWatcher(std::function<void(int signal)> onSignal);
    // Stops waiting and gives back the calling thread's signal mask and the
    // handling of SIGPIPE.
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
    sigset_t watched_{};  // the blocked ones, waited for
    sigset_t previousMask_{};
    bool watchesPipe_ = false;
    struct sigaction previousPipeAction_ {};
    int wakeSignal_ = 0;  // one of the blocked ones, sent to the watcher alone to end its wait
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tessel
