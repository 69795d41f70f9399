#include "Cli.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    tessel::cli::Console console{std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1};
    const int status = tessel::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc), console);
    std::cout.flush();
    return status;
}
