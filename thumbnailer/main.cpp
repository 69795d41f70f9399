#include "settings/Settings.h"
#include "text/TerminalName.h"
#include "Thumbnailer.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    try {
        return tessel::thumbnailer::RunThumbnailerProcess(std::vector<std::string>(argv + 1, argv + argc),
                                                          tessel::DesktopSettingsFile(), std::cout, std::cerr);
    } catch (const std::exception& error) {
        // Nothing should get here; the contract holds even so.
        std::cerr << "tessel-thumbnailer: " << tessel::TerminalName(error.what()) << '\n';
        return tessel::thumbnailer::ExitFailure;
    }
}
