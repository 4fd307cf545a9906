#include "CommandLine.h"

#include <cstdlib>
#include <cstring>

namespace host {
namespace {

// Options that choose or describe the emulated machine of the native program.
const char* const kMachineOptions[] = {"--media", "--media-type", "--disk", "--prefix", "--os",
                                       "--pc",    "--codepage",   "--lang", "--ui",     "--record"};

bool IsMachineOption(const std::string& name) {
    for (const char* option : kMachineOptions) {
        if (name == option)
            return true;
    }
    return false;
}

} // namespace

const char* WinUsage() {
    return "SETUP [options]\n"
           "  --silent             unattended: every page accepted as proposed\n"
           "  --src PATH           typed into the path page's source field\n"
           "  --dest PATH          typed into the path page's destination field\n"
           "  --overwrite ask|yes|no   the answer to the overwrite question\n"
           "  --answers FILE       unattended, with the answers in FILE\n"
           "  --transcript FILE    where the transcript goes (- for standard output)\n"
           "  --pause MS           unattended runs wait MS milliseconds on each window\n"
           "  --quiet              accepted for the native program's command lines\n"
           "  --version, --help\n";
}

WinParseOutcome ParseWinOptions(int argc, const char* const* argv, WinOptions& options,
                                std::string& message) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        bool inlineValue = false;
        size_t equals = name.find('=');
        if (name.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            inlineValue = true;
        }
        auto takeValue = [&]() -> bool {
            if (inlineValue)
                return true;
            if (i + 1 >= argc) {
                message = name + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        if (name == "--help" || name == "-h" || name == "/?")
            return WinParseOutcome::Help;
        if (name == "--version")
            return WinParseOutcome::Version;
        if (name == "--silent") {
            options.silent = true;
        } else if (name == "--quiet") {
        } else if (name == "--src" || name == "--dest") {
            if (!takeValue())
                return WinParseOutcome::Error;
            (name == "--src" ? options.srcGiven : options.destGiven) = true;
            (name == "--src" ? options.src : options.dest) = value;
        } else if (name == "--overwrite") {
            if (!takeValue())
                return WinParseOutcome::Error;
            if (value == "ask")
                options.overwrite = WinOverwrite::Ask;
            else if (value == "yes")
                options.overwrite = WinOverwrite::Yes;
            else if (value == "no")
                options.overwrite = WinOverwrite::No;
            else {
                message = "--overwrite takes ask, yes or no, not " + value;
                return WinParseOutcome::Error;
            }
        } else if (name == "--answers" || name == "--transcript") {
            if (!takeValue())
                return WinParseOutcome::Error;
            (name == "--answers" ? options.answersFile : options.transcriptFile) = value;
        } else if (name == "--pause") {
            if (!takeValue())
                return WinParseOutcome::Error;
            char* end = nullptr;
            unsigned long value_ms = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0' || value_ms > 60000) {
                message = "--pause takes milliseconds up to 60000, not " + value;
                return WinParseOutcome::Error;
            }
            options.pauseMilliseconds = static_cast<unsigned>(value_ms);
        } else if (IsMachineOption(name)) {
            message = name + " sets up the emulated machine of the native program; on Windows "
                             "the program runs from its medium on the real system";
            return WinParseOutcome::Error;
        } else {
            message = "unknown option " + name;
            return WinParseOutcome::Error;
        }
    }
    return WinParseOutcome::Run;
}

} // namespace host
