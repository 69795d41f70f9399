#include "Cli.h"

#include "CliOptions.h"
#include "DemoCommand.h"
#include "GalleryCommand.h"
#include "InfoCommand.h"
#include "RenderCommand.h"
#include "text/TerminalName.h"

#include <algorithm>
#include <array>
#include <exception>
#include <map>
#include <string_view>

namespace tessel::cli {

namespace {

constexpr std::array<std::string_view, 4> Commands{"render", "info", "gallery", "demo"};

// Insertions, deletions and replacements that turn one word into the other.
std::size_t EditDistance(std::string_view from, std::string_view to)
{
    std::vector<std::size_t> row(to.size() + 1);
    for (std::size_t k = 0; k < row.size(); ++k)
        row[k] = k;
    for (std::size_t i = 1; i <= from.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t k = 1; k <= to.size(); ++k) {
            const std::size_t above = row[k];
            row[k] = std::min({above + 1, row[k - 1] + 1, diagonal + (from[i - 1] == to[k - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

}  // namespace

std::optional<std::string> NearestCommand(std::string_view typed)
{
    std::optional<std::string> nearest;
    std::size_t best = 3;  // two edits at most: a typing slip, not another word
    for (const std::string_view command : Commands) {
        // A word much longer than every command is no slip; and this bounds the work.
        if (typed.size() > command.size() + 2)
            continue;
        const std::size_t distance = EditDistance(typed, command);
        if (distance < best && distance < command.size() / 2 + 1) {
            best = distance;
            nearest = std::string(command);
        }
    }
    return nearest;
}

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
        console.Error << "tessel-cli: " << TerminalName("unknown command \"" + command + "\"") << '\n';
        if (const auto nearest = NearestCommand(command))
            console.Error << "Did you mean '" << *nearest << "'?\n";
        console.Error << "Try 'tessel-cli --help'.\n";
        return ExitUsage;
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
