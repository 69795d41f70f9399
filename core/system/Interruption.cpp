#include "system/Interruption.h"

#include "system/TemporaryFiles.h"

#include <cstdlib>

namespace tessel {

InterruptionWatch::InterruptionWatch(std::function<void(int signal)> afterRemoval)
    : watcher_([afterRemoval = std::move(afterRemoval)](int signal) {
          RemoveTemporaryFilesForExit();
          afterRemoval(signal);
      })
{
}

void EndAfterSignal(int signal) { std::_Exit(ExitOnSignal + signal); }

}  // namespace tessel
