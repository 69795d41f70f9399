// Whether output goes to a terminal, where a program may redraw a line of
// progress; elsewhere (a file, a pipe) it writes plain lines only.
#pragma once

namespace tessel {

bool StandardErrorIsTerminal();

}  // namespace tessel
