// The names that Windows keeps for its devices: a file called con.bmp is
// the console, nul.pud the null device, in every folder. The file layer on
// Windows refuses them, so that no minimap is written to a device.
#pragma once

#include <string_view>

namespace tessel {

// Whether the last part of path names a device on Windows: CON, PRN, AUX,
// NUL, COM1 to COM9, LPT1 to LPT9 (also with the superscript digits ¹²³),
// CONIN$ and CONOUT$, in any letter case, with any extension, and with the
// spaces and full stops that Windows drops from the end of a name.
bool IsWindowsDeviceName(std::string_view path);

}  // namespace tessel
