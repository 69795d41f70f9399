// Runs a command's jobs on worker threads and reports their outcomes in job
// order, so that the output is the same for any number of workers. While
// the jobs run, a signal that stops the program is handled as
// system/Interruption.h says: the temporary files go at once, the reporting
// ends with the outcomes finished so far, and the caller prints its summary
// and ends the process with ExitAfterSignal.
#pragma once

#include "Console.h"
#include "system/Interruption.h"
#include "system/TemporaryFiles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace tessel::cli {

// requested workers (0: one per core), never more than there are jobs.
inline std::size_t WorkerCount(int requested, std::size_t jobs)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return std::min<std::size_t>(requested > 0 ? static_cast<std::size_t>(requested) : cores, jobs);
}

// Outcome has a bool Written: whether the job committed its output file.
template <class Outcome>
class JobsInOrder {
public:
    // Starts workers that take the jobs 0 .. count - 1 in order and run(index)
    // each; run must not raise. Raises std::runtime_error when a thread
    // cannot be started, before any job has begun.
    JobsInOrder(std::size_t count, std::size_t workers, std::function<Outcome(std::size_t)> run)
        : count_(count), run_(std::move(run)), outcomes_(count)
    {
        // Once a signal has removed the temporary files, no output is
        // completed. Failures that come after it may be its doing and are
        // not recorded; every output committed before it is, and the report
        // waits for the last of them.
        committedBefore_ = CommittedFileCount();
        try {
            watch_.emplace([this](int signal) {
                std::lock_guard lock(mutex_);
                committedByRun_ = CommittedFileCount() - committedBefore_;
                interruption_ = signal;
                outcomeReady_.notify_all();
            });
            for (std::size_t w = 0; w < workers; ++w)
                threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error& error) {
            cancelled_ = true;
            Release();
            throw std::runtime_error(std::string("cannot start a thread: ") + error.what());
        }
        // Workers begin only once all threads run, so that a thread that
        // cannot be created ends the run before any work is done.
        Release();
    }

    JobsInOrder(const JobsInOrder&) = delete;
    JobsInOrder& operator=(const JobsInOrder&) = delete;

    // Hands every outcome to report(index, outcome) in job order, calling
    // waiting(index) at least every 200 ms while it waits for one. After a
    // signal it reports the outcomes that finished ahead of their turn and
    // returns the signal's number; otherwise 0.
    template <class Report, class Waiting>
    int ReportInOrder(Report report, Waiting waiting)
    {
        for (std::size_t index = 0; index < count_; ++index) {
            std::unique_lock lock(mutex_);
            while (!outcomes_[index] && interruption_ == 0) {
                outcomeReady_.wait_for(lock, std::chrono::milliseconds(200));
                waiting(index);
            }
            if (interruption_ != 0) {
                outcomeReady_.wait_for(lock, std::chrono::seconds(2),
                                       [&] { return writtenRecorded_ >= committedByRun_; });
                for (; index < count_; ++index)
                    if (outcomes_[index])
                        report(index, *outcomes_[index]);
                return interruption_;
            }
            Outcome outcome = std::move(*outcomes_[index]);
            outcomes_[index].reset();
            lock.unlock();
            report(index, outcome);
        }
        return 0;
    }

    // The signal that came since the workers started, or 0; the watch goes
    // on until this object goes.
    int Signal()
    {
        std::lock_guard lock(mutex_);
        return interruption_;
    }

    // Flushes the console and ends the process by EndAfterSignal, with
    // no outcome recorded meanwhile.
    [[noreturn]] void ExitAfterSignal(Console& console, int signal)
    {
        std::lock_guard lock(mutex_);
        console.Out.flush();
        console.Error.flush();
        EndAfterSignal(signal);
    }

private:
    // A mutex and a condition, not std::atomic's wait: the MinGW build's
    // standard library (GCC 12) may miss that wait's wake-up, and a worker
    // then waits for ever.
    void Release()
    {
        {
            std::lock_guard lock(mutex_);
            mayStart_ = true;
        }
        mayStartChanged_.notify_all();
    }

    void Work()
    {
        {
            std::unique_lock lock(mutex_);
            mayStartChanged_.wait(lock, [this] { return mayStart_; });
        }
        if (cancelled_)
            return;
        for (std::size_t index; (index = nextJob_.fetch_add(1)) < count_;) {
            Outcome outcome = run_(index);
            std::lock_guard lock(mutex_);
            if (interruption_ != 0 && !outcome.Written)
                return;
            writtenRecorded_ += outcome.Written ? 1 : 0;
            outcomes_[index] = std::move(outcome);
            outcomeReady_.notify_all();
            if (interruption_ != 0)
                return;
        }
    }

    std::size_t count_;
    std::function<Outcome(std::size_t)> run_;
    std::vector<std::optional<Outcome>> outcomes_;
    std::mutex mutex_;
    std::condition_variable outcomeReady_;
    std::atomic<std::size_t> nextJob_{0};
    int interruption_ = 0;  // the signal that ended the run; under mutex_
    uint64_t committedBefore_ = 0;
    uint64_t committedByRun_ = 0;  // final once interruption_ is set
    std::size_t writtenRecorded_ = 0;
    bool mayStart_ = false;  // under mutex_
    std::condition_variable mayStartChanged_;
    std::atomic<bool> cancelled_{false};
    std::optional<InterruptionWatch> watch_;
    // Last, so that the threads end before what they use goes.
    std::vector<std::jthread> threads_;
};

}  // namespace tessel::cli
