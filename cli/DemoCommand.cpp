#include "DemoCommand.h"

#include "base/Exceptions.h"
#include "DemoData.h"
#include "text/PathPieces.h"
#include "text/TerminalName.h"
#include "text/PathText.h"

#include <filesystem>

namespace tessel::cli {

int RunDemo(const DemoOptions& options, Console& console)
{
    const std::string archive = JoinPath(options.Directory, "MAINDAT.WAR");
    const std::string scenarios = JoinPath(options.Directory, "scenarios");
    try {
        std::filesystem::create_directories(PathOfText(scenarios));
        WriteDemoArchive(archive);
        for (const DemoScenario& demo : MakeDemoScenarios())
            WriteScenario(demo.Content).WriteTo(JoinPath(scenarios, demo.FileName));
    } catch (const std::exception& error) {
        console.Error << "tessel-cli: cannot write the demo into " << QuotedTerminalName(options.Directory) << ": "
                    << TerminalName(error.what()) << '\n';
        return ExitSomeFailed;
    }
    console.Out << "Demo archive: " << TerminalName(archive) << '\n'
                << "Demo scenarios: " << TerminalName(scenarios) << '\n';
    return ExitSuccess;
}

}  // namespace tessel::cli
