#include "system/SignalWatcher.h"

#include <ctime>
#include <pthread.h>

namespace tessel {

namespace {

// Set by the handler of SIGPIPE, which may do nothing else safely.
std::atomic<bool> pipeBroken{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void MarkBrokenPipe(int) { pipeBroken.store(true); }

bool Ignored(int signal)
{
    struct sigaction current {};
    return ::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN;
}

}  // namespace

SignalWatcher::SignalWatcher(std::function<void(int signal)> onSignal)
{
    ::sigemptyset(&watched_);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (!Ignored(signal)) {
            ::sigaddset(&watched_, signal);
            wakeSignal_ = signal;
        }
    }
    if (!Ignored(SIGPIPE)) {
        pipeBroken = false;
        struct sigaction mark {};
        mark.sa_handler = MarkBrokenPipe;
        mark.sa_flags = SA_RESTART;
        ::sigemptyset(&mark.sa_mask);
        watchesPipe_ = ::sigaction(SIGPIPE, &mark, &previousPipeAction_) == 0;
    }
    ::pthread_sigmask(SIG_BLOCK, &watched_, &previousMask_);
    if (wakeSignal_ == 0 && !watchesPipe_)
        return;
    try {
        thread_ = std::thread([this, onSignal = std::move(onSignal)] {
            const timespec tick{0, 50 * 1000 * 1000};
            while (!stopping_) {
                int signal = ::sigtimedwait(&watched_, nullptr, &tick);
                if (stopping_)
                    return;
                if (signal <= 0 && pipeBroken.exchange(false))
                    signal = SIGPIPE;
                if (signal > 0) {
                    onSignal(signal);
                    return;
                }
            }
        });
    } catch (...) {
        if (watchesPipe_)
            ::sigaction(SIGPIPE, &previousPipeAction_, nullptr);
        ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        throw;
    }
}

SignalWatcher::~SignalWatcher()
{
    if (thread_.joinable()) {
        stopping_ = true;
        if (wakeSignal_ != 0)
            ::pthread_kill(thread_.native_handle(), wakeSignal_);
        thread_.join();
    }
    if (watchesPipe_)
        ::sigaction(SIGPIPE, &previousPipeAction_, nullptr);
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

}  // namespace tessel
