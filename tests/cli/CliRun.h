// Runs tessel-cli in the test's process with its output caught.
#pragma once

#include "Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace tessel::test {

struct CliRun {
    int Status;
    std::string Out;
    std::string Error;
};

inline CliRun RunTesselCli(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    cli::Console console{out, err, false};
    const int status = cli::RunCli(args, console);
    return {status, out.str(), err.str()};
}

}  // namespace tessel::test
