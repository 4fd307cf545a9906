// Runs the built veltrix-setup as a user runs it, for the tests of the host program.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int status = -1; // the exit status; -1 when the program did not exit by itself
    std::string out;
    std::string err;
};

// Runs the program with the arguments, standard input from /dev/null, its output captured,
// and at most a minute to finish.
RunResult RunSetup(const std::vector<std::string>& args);
// TRUE when the program is built (it needs the installer's application).
bool SetupIsBuilt();
