// The process-wide references to the shell's five windows, which the
// handlers of the other windows use, and the settings file of the shell.
// Each is set when its window is created at start-up.
#pragma once

#include <string>

namespace tessel {

class TTesselMainForm;
class TTesselOptionsForm;
class TSelDirForm;
class TTesselPreviewForm;
class TTesselAboutForm;

extern TTesselMainForm* TesselMainForm;
extern TTesselOptionsForm* TesselOptionsForm;
extern TSelDirForm* SelDirForm;
extern TTesselPreviewForm* TesselPreviewForm;
extern TTesselAboutForm* TesselAboutForm;

// The settings file of the running program: its file name with ".ini" in
// the user's configuration folder.
std::string ShellSettingsFile();

}  // namespace tessel
