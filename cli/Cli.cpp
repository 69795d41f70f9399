#include "Cli.h"

#include "CliOptions.h"
#include "DemoCommand.h"
#include "GalleryCommand.h"
#include "InfoCommand.h"
#include "RenderCommand.h"
#include "text/TerminalName.h"

#include <exception>
#include <map>

namespace tessel::cli {

namespace {

template <class Options>
int Dispatch(const std::variant<Options, HelpRequest>& parsed, Console& console, int (*run)(const Options&, Console&))
{
    if (const auto* help = std::get_if<HelpRequest>(&parsed)) {
        console.Out << help->Text;
        return ExitSuccess;
    }
    return run(std::get<Options>(parsed), console);
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, Console& console)
{
    if (arguments.empty()) {
        console.Error << MainUsage;
        return ExitUsage;
    }
    const std::string& command = arguments.front();
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    try {
        if (command == "-h" || command == "--help" || command == "help") {
            console.Out << MainUsage;
            return ExitSuccess;
        }
        if (command == "--version") {
            console.Out << "tessel-cli " TESSEL_VERSION "\n";
            return ExitSuccess;
        }
        if (command == "render")
            return Dispatch(ParseRenderOptions(rest), console, RunRender);
        if (command == "info")
            return Dispatch(ParseInfoOptions(rest), console, RunInfo);
        if (command == "gallery")
            return Dispatch(ParseGalleryOptions(rest), console, RunGallery);
        if (command == "demo")
            return Dispatch(ParseDemoOptions(rest), console, RunDemo);
        throw UsageError("unknown command \"" + command + "\"");
    } catch (const UsageError& error) {
        // The text quotes what was typed: escaped as a whole, like a name.
        console.Error << "tessel-cli: " << TerminalName(error.what()) << "\nTry 'tessel-cli "
                    << (command.rfind('-', 0) == 0 ? "" : TerminalName(command) + " ") << "--help'.\n";
        return ExitUsage;
    } catch (const std::exception& error) {
        // Whatever ends a command early ends it with a line, never silently.
        console.Error << "tessel-cli: " << TerminalName(error.what()) << '\n';
        return ExitSomeFailed;
    }
}

}  // namespace tessel::cli
