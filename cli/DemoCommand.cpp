#include "DemoCommand.h"

#include "DemoData.h"
#include "Exceptions.h"
#include "PathPieces.h"

#include <filesystem>

namespace tessel::cli {

int RunDemo(const DemoOptions& options, Console& console)
{
    const std::string archive = JoinPath(options.Directory, "MAINDAT.WAR");
    const std::string scenarios = JoinPath(options.Directory, "scenarios");
    try {
        std::filesystem::create_directories(scenarios);
        WriteDemoArchive(archive);
        for (const DemoScenario& demo : MakeDemoScenarios())
            WriteScenario(demo.Content).WriteTo(JoinPath(scenarios, demo.FileName));
    } catch (const std::exception& error) {
        console.Err << "tessel-cli: cannot write the demo into \"" << options.Directory << "\": " << error.what()
                    << '\n';
        return ExitSomeFailed;
    }
    console.Out << "Demo archive: " << archive << '\n' << "Demo scenarios: " << scenarios << '\n';
    return ExitSuccess;
}

}  // namespace tessel::cli
