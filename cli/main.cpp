#include "Cli.h"
#include "system/Terminal.h"
#include "text/TerminalName.h"

#include <cstdio>
#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    // Nothing ends the program by std::terminate: what escapes the command
    // ends it with a line and status 1.
    try {
        std::ios::sync_with_stdio(false);
        tessel::cli::Console console{std::cout, std::cerr, tessel::StandardErrorIsTerminal()};
        const int status = tessel::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), console);
        std::cout.flush();
        return status;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tessel-cli: %s\n", tessel::TerminalName(error.what()).c_str());
    } catch (...) {
        std::fprintf(stderr, "tessel-cli: unknown failure\n");
    }
    return tessel::cli::ExitSomeFailed;
}
