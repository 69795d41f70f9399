// The one-line progress display of a render on a terminal.
#pragma once

#include "Console.h"

#include <chrono>
#include <cstddef>

namespace tessel::cli {

class Progress {
public:
    Progress(Console& console, std::size_t total, bool enabled);
    // Redraws the line: done of total, failures, and maps per second.
    void Show(std::size_t done, std::size_t failed);
    // Removes the line, so that other output starts on a clean line.
    void Clear();

private:
    Console& console_;
    std::size_t total_;
    bool enabled_;
    bool showing_ = false;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastShown_{};
};

}  // namespace tessel::cli
