// The command line of the native program (see docs/automation.md and the README): which
// machine to start, which front end, and what an unattended run answers.
#pragma once

#include <host/ExitStatus.h>
#include <host/Frontend.h>
#include <host/Machine.h>

#include <map>
#include <string>
#include <vector>

namespace host {

enum class OverwriteChoice { Ask, Yes, No };

struct HostOptions {
    MachineOptions machine;
    std::map<int, std::string> disks; // --disk N=DIR: host directory of disk N
    FrontendKind ui = FrontendKind::Tui;
    bool silent = false;
    bool srcGiven = false;
    std::string src; // Windows path, as typed (UTF-8 on the command line)
    bool destGiven = false;
    std::string dest;
    OverwriteChoice overwrite = OverwriteChoice::Yes;
    std::string answersFile;
    std::string transcriptFile; // empty: the default for the front end; "-": standard output
    std::string recordFile;     // --record: the answers file a terminal run writes
    bool quiet = false;         // no progress line on standard error

    // An unattended run: the automation answers (silent, or with an answers file).
    bool Unattended() const { return silent || !answersFile.empty(); }
};

enum class ParseOutcome { Run, Help, Version, Error };

// Parses the command line. Help: message holds the help text (lines of at most 79 columns);
// Version: message holds the version line. Error: message says what is
// wrong. interactiveTerminal tells whether standard input and output are terminals (the
// default front end is tui then, headless otherwise).
ParseOutcome ParseHostOptions(int argc, const char* const* argv, bool interactiveTerminal,
                              HostOptions& options, std::string& message);

} // namespace host
