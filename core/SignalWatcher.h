// Waits for SIGINT, SIGTERM and SIGHUP in a thread of its own, so that what
// a signal sets off runs as ordinary code, free to lock and allocate, and
// never inside a signal handler.
#pragma once

#include <atomic>
#include <functional>
#include <signal.h>
#include <thread>

namespace tessel::cli {

class SignalWatcher {
public:
    // Blocks the signals in the calling thread, and so in every thread it
    // starts afterwards, and waits for them. onSignal runs on the watcher's
    // thread, at most once, with the signal's number. A signal that the
    // process ignores (under nohup, or SIGINT in a background job) stays
    // ignored and is not watched.
    explicit SignalWatcher(std::function<void(int signal)> onSignal);
    // Stops waiting and gives the calling thread its signal mask back.
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
    sigset_t watched_{};
    sigset_t previousMask_{};
    int wakeSignal_ = 0;  // one of the watched, sent to the watcher alone to end its wait
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace tessel::cli
