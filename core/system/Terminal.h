// Whether output goes to a terminal, where a program may redraw a line of
// progress; elsewhere (a file, a pipe) it writes plain lines only.
#pragma once

namespace tessel {

bool StandardErrorIsTerminal();

// Makes the console show the programs' UTF-8 output as such (Windows); a
// terminal elsewhere takes it as it is.
void UseUtf8Console();

}  // namespace tessel
