// The command line of the Windows program: the options of unattended runs, as the native
// program has them (docs/automation.md). The options that set up an emulated machine have no
// meaning on a real system and are refused.
#pragma once

#include <string>

namespace host {

enum class WinOverwrite { Ask, Yes, No };

struct WinOptions {
    bool silent = false;
    bool srcGiven = false;
    std::string src; // ANSI, as the system passes it
    bool destGiven = false;
    std::string dest;
    WinOverwrite overwrite = WinOverwrite::Yes;
    std::string answersFile;
    std::string transcriptFile;     // empty: none; "-": standard output
    unsigned pauseMilliseconds = 0; // --pause: each window stays this long before its answer

    bool Unattended() const { return silent || !answersFile.empty(); }
};

enum class WinParseOutcome { Run, Help, Version, Error };

// Parses the arguments after the program's name. Error: message says what is wrong.
WinParseOutcome ParseWinOptions(int argc, const char* const* argv, WinOptions& options,
                                std::string& message);

const char* WinUsage();

} // namespace host
