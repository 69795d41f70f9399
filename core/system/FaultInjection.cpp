#include "system/FaultInjection.h"

#include <atomic>

namespace tessel::fault_injection {

namespace {

std::atomic<int64_t> writeLimit{-1};

std::function<void()>& WriteHook()
{
    static std::function<void()> hook;
    return hook;
}

std::function<void(const std::string&)>& JobHook()
{
    static std::function<void(const std::string&)> hook;
    return hook;
}

}  // namespace

void LimitWrites(int64_t limit) { writeLimit.store(limit); }

void RunAfterEachWrite(std::function<void()> hook) { WriteHook() = std::move(hook); }

void RunAtEachJobStart(std::function<void(const std::string& scenarioPath)> hook) { JobHook() = std::move(hook); }

std::size_t WritableBytes(std::size_t count)
{
    const int64_t limit = writeLimit.load();
    if (limit < 0)
        return count;
    const std::size_t allowed = static_cast<std::size_t>(limit) < count ? static_cast<std::size_t>(limit) : count;
    writeLimit.store(limit - static_cast<int64_t>(allowed));
    return allowed;
}

void AfterWrite()
{
    if (WriteHook())
        WriteHook()();
}

void AtJobStart(const std::string& scenarioPath)
{
    if (JobHook())
        JobHook()(scenarioPath);
}

}  // namespace tessel::fault_injection
