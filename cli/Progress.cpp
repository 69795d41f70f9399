#include "Progress.h"

#include <cstdio>

namespace tessel::cli {

Progress::Progress(Console& console, std::size_t total, bool enabled)
    : console_(console), total_(total), enabled_(enabled)
{
}

void Progress::Show(std::size_t done, std::size_t failed)
{
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    // A terminal needs no more than ten redraws a second.
    if (showing_ && done < total_ && now - lastShown_ < std::chrono::milliseconds(100))
        return;
    lastShown_ = now;
    const double seconds = std::chrono::duration<double>(now - started_).count();
    char line[128];
    std::snprintf(line, sizeof line, "\r%zu/%zu done, %zu failed, %.1f maps/s\x1b[K", done, total_, failed,
                  seconds > 0 ? static_cast<double>(done) / seconds : 0.0);
    console_.Error << line << std::flush;
    showing_ = true;
}

void Progress::Clear()
{
    if (!showing_)
        return;
    console_.Error << "\r\x1b[K" << std::flush;
    showing_ = false;
}

}  // namespace tessel::cli
