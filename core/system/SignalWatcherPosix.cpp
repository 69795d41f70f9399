#include "system/SignalWatcher.h"

#include <atomic>
#include <ctime>
#include <pthread.h>
#include <signal.h>
#include <thread>

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

struct SignalWatcher::State {
    sigset_t watched{};  // the blocked ones, waited for
    sigset_t previousMask{};
    bool watchesPipe = false;
    struct sigaction previousPipeAction {};
    int wakeSignal = 0;  // one of the blocked ones, sent to the watcher alone to end its wait
    std::atomic<bool> stopping{false};
    std::thread thread;
};

SignalWatcher::SignalWatcher(std::function<void(int signal)> onSignal) : state_(std::make_unique<State>())
{
    State& state = *state_;
    ::sigemptyset(&state.watched);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (!Ignored(signal)) {
            ::sigaddset(&state.watched, signal);
            state.wakeSignal = signal;
        }
    }
    if (!Ignored(SIGPIPE)) {
        pipeBroken = false;
        struct sigaction mark {};
        mark.sa_handler = MarkBrokenPipe;
        mark.sa_flags = SA_RESTART;
        ::sigemptyset(&mark.sa_mask);
        state.watchesPipe = ::sigaction(SIGPIPE, &mark, &state.previousPipeAction) == 0;
    }
    ::pthread_sigmask(SIG_BLOCK, &state.watched, &state.previousMask);
    if (state.wakeSignal == 0 && !state.watchesPipe)
        return;
    try {
        state.thread = std::thread([&state, onSignal = std::move(onSignal)] {
            const timespec tick{0, 50 * 1000 * 1000};
            while (!state.stopping) {
                int signal = ::sigtimedwait(&state.watched, nullptr, &tick);
                if (state.stopping)
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
        if (state.watchesPipe)
            ::sigaction(SIGPIPE, &state.previousPipeAction, nullptr);
        ::pthread_sigmask(SIG_SETMASK, &state.previousMask, nullptr);
        throw;
    }
}

SignalWatcher::~SignalWatcher()
{
    State& state = *state_;
    if (state.thread.joinable()) {
        state.stopping = true;
        if (state.wakeSignal != 0)
            ::pthread_kill(state.thread.native_handle(), state.wakeSignal);
        state.thread.join();
    }
    if (state.watchesPipe)
        ::sigaction(SIGPIPE, &state.previousPipeAction, nullptr);
    ::pthread_sigmask(SIG_SETMASK, &state.previousMask, nullptr);
}

}  // namespace tessel
