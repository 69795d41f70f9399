// On Windows the console's events stand for the signals: Ctrl-C for SIGINT,
// Ctrl-Break for SIGBREAK, and closing the console, logging off or shutting
// down for SIGHUP. Windows runs a console handler on a thread of its own
// already, so the watcher needs none: onSignal runs there.
#include "system/SignalWatcher.h"

#include <atomic>
#include <mutex>
#include <windows.h>

namespace tessel {

namespace {

// The numbers a program's exit status reports (128 plus the number).
constexpr int InterruptSignal = 2;  // SIGINT
constexpr int BreakSignal = 21;     // SIGBREAK of the C library on Windows
constexpr int HangUpSignal = 1;     // SIGHUP, as on POSIX

std::mutex watcherMutex;
std::function<void(int)>* currentHandler = nullptr;  // guarded by watcherMutex
std::atomic<bool> signalled{false};

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    int signal = 0;
    switch (event) {
    case CTRL_C_EVENT:
        signal = InterruptSignal;
        break;
    case CTRL_BREAK_EVENT:
        signal = BreakSignal;
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        signal = HangUpSignal;
        break;
    default:
        return FALSE;
    }
    std::function<void(int)> handler;
    {
        const std::lock_guard lock(watcherMutex);
        if (!currentHandler)
            return FALSE;
        handler = *currentHandler;
    }
    // At most once; a second Ctrl-C while the first is handled is swallowed.
    if (!signalled.exchange(true))
        handler(signal);
    return TRUE;
}

}  // namespace

struct SignalWatcher::State {
    std::function<void(int)> onSignal;
};

SignalWatcher::SignalWatcher(std::function<void(int signal)> onSignal) : state_(std::make_unique<State>())
{
    state_->onSignal = std::move(onSignal);
    {
        const std::lock_guard lock(watcherMutex);
        currentHandler = &state_->onSignal;
        signalled = false;
    }
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

SignalWatcher::~SignalWatcher()
{
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    const std::lock_guard lock(watcherMutex);
    currentHandler = nullptr;
}

}  // namespace tessel
