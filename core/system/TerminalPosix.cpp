#include "system/Terminal.h"

#include <unistd.h>

namespace tessel {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace tessel
