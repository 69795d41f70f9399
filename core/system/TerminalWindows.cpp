#include "system/Terminal.h"

#include <windows.h>

namespace tessel {

bool StandardErrorIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void UseUtf8Console()
{
    // The programs write UTF-8; the console shows it as such only when told.
    ::SetConsoleOutputCP(CP_UTF8);
}

}  // namespace tessel
