#include "system/Terminal.h"

#include <unistd.h>

namespace tessel {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void UseUtf8Console() {}

}  // namespace tessel
