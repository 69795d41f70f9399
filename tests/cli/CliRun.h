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

// Output as its lines, without their line breaks.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

inline CliRun RunTesselCli(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    cli::Console console{out, err, false};
    const int status = cli::RunCli(args, console);
    return {status, out.str(), err.str()};
}

}  // namespace tessel::test
