#include "SignalWatcher.h"

#include <pthread.h>

namespace tessel::cli {

SignalWatcher::SignalWatcher(std::function<void(int signal)> onSignal)
{
    ::sigemptyset(&watched_);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            ::sigaddset(&watched_, signal);
            wakeSignal_ = signal;
        }
    }
    ::pthread_sigmask(SIG_BLOCK, &watched_, &previousMask_);
    if (wakeSignal_ == 0)
        return;
    try {
        thread_ = std::thread([this, onSignal = std::move(onSignal)] {
            int signal = 0;
            if (::sigwait(&watched_, &signal) == 0 && !stopping_)
                onSignal(signal);
        });
    } catch (...) {
        ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        throw;
    }
}

SignalWatcher::~SignalWatcher()
{
    if (thread_.joinable()) {
        stopping_ = true;
        ::pthread_kill(thread_.native_handle(), wakeSignal_);
        thread_.join();
    }
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

}  // namespace tessel::cli
