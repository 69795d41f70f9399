#include "Cli.h"
#include "system/Terminal.h"
#include "text/TerminalName.h"
#include "text/Utf16.h"

#include <cstdio>
#include <exception>
#include <iostream>

namespace {

int RunMain(const std::vector<std::string>& arguments)
{
    // Nothing ends the program by std::terminate: what escapes the command
    // ends it with a line and status 1.
    try {
        std::ios::sync_with_stdio(false);
        tessel::UseUtf8Console();
        tessel::cli::Console console{std::cout, std::cerr, tessel::StandardErrorIsTerminal()};
        const int status = tessel::cli::RunCli(arguments, console);
        std::cout.flush();
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessel-cli: %s\n", tessel::TerminalName(error.what()).c_str());
    } catch (...) {
        std::fprintf(stderr, "tessel-cli: unknown failure\n");
    }
    return tessel::cli::ExitSomeFailed;
}

}  // namespace

#ifdef _WIN32
// Windows hands the arguments over in UTF-16; inside, every text is UTF-8.
int wmain(int argc, wchar_t** argv)
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    std::vector<std::string> arguments;
    for (int k = 1; k < argc; ++k)
        arguments.push_back(tessel::Utf8FromUtf16(reinterpret_cast<const char16_t*>(argv[k])));
    return RunMain(arguments);
}
#else
int main(int argc, char** argv) { return RunMain(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
