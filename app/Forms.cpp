#include "Forms.h"

#include "settings/Settings.h"
#include "system/UserFolders.h"

#include <QCoreApplication>

namespace tessel {

TTesselMainForm* TesselMainForm = nullptr;
TTesselOptionsForm* TesselOptionsForm = nullptr;
TSelDirForm* SelDirForm = nullptr;
TTesselPreviewForm* TesselPreviewForm = nullptr;
TTesselAboutForm* TesselAboutForm = nullptr;

std::string ShellSettingsFile()
{
    return SettingsFileName(QCoreApplication::applicationFilePath().toStdString(), UserConfigDirectory());
}

}  // namespace tessel
