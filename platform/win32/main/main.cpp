// The Windows program's start: reads the options of an unattended run, starts the transcript
// and the timer-driven automation, runs the installer (WinMain) and ends with its status.
// Started without options, as a person starts it, it is the plain installer.
#include "CommandLine.h"
#include "TimerAutomation.h"

#include <host/Automation.h>
#include <host/ExitStatus.h>
#include <host/Machine.h>
#include <host/Transcript.h>

#include <windows.h>

#include <cstdio>

namespace {

// The installer's own fields that --src and --dest are typed into: the edits of the path
// page (source 1000, destination 1001), as in the native program.
constexpr int kSourceEditId = 1000;
constexpr int kDestinationEditId = 1001;

using host::kExitCannotCreate;
using host::kExitDataError;
using host::kExitInternal;
using host::kExitNoInput;
using host::kExitUsage;

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "SETUP: %s\n", message.c_str());
    return status;
}

// Read with the C library: the C++ streams would tie the program to newer runtime functions
// than Windows 95 and NT 4 have.
bool ReadFile(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

} // namespace

int main(int argc, char** argv) {
    host::WinOptions options;
    std::string message;
    switch (host::ParseWinOptions(argc, argv, options, message)) {
    case host::WinParseOutcome::Help:
        std::fputs(host::WinUsage(), stdout);
        return 0;
    case host::WinParseOutcome::Version:
        std::puts("SETUP (Veltrix Setup for Windows)");
        return 0;
    case host::WinParseOutcome::Error:
        return Fail(kExitUsage, message);
    case host::WinParseOutcome::Run:
        break;
    }

    host::AutomationOptions automation;
    automation.silent = options.silent;
    automation.overwrite = options.overwrite == host::WinOverwrite::Ask  ? host::OverwriteRule::Ask
                           : options.overwrite == host::WinOverwrite::No ? host::OverwriteRule::No
                                                                         : host::OverwriteRule::Yes;
    if (options.srcGiven)
        automation.fields.emplace_back(kSourceEditId, options.src);
    if (options.destGiven)
        automation.fields.emplace_back(kDestinationEditId, options.dest);
    if (!options.answersFile.empty()) {
        std::string text;
        if (!ReadFile(options.answersFile, text))
            return Fail(kExitNoInput, "cannot read the answers file " + options.answersFile);
        if (!host::ParseAnswers(text, true, automation.answers, message))
            return Fail(kExitDataError, options.answersFile + ": " + message);
    }
    if (options.transcriptFile == "-")
        host::StartTranscript(stdout);
    else if (!options.transcriptFile.empty() &&
             !host::StartTranscript(options.transcriptFile, message))
        return Fail(kExitCannotCreate, message);

    if (options.Unattended()) {
        host::StartAutomation(automation);
        host::StartTimerAutomation(options.pauseMilliseconds);
    }
    char commandLine[] = "";
    int status = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    if (status < 0 || status > 4)
        status = kExitInternal;
    host::StopTimerAutomation();
    host::StopAutomation();
    host::NoteLine(
        "end", "status " + std::to_string(status) + " (" + host::StatusMeaning(status) + ")", true);
    host::StopTranscript();
    return status;
}
