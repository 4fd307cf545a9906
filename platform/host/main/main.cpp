// The native program: reads the command line, starts the emulated machine, the front end,
// the transcript and the automation, runs the installer (WinMain) and ends with its status.
#include "../HostOptions.h"
#include "../Outcome.h"

#include <host/Automation.h>
#include <host/Frontend.h>
#include <host/Machine.h>
#include <registry/Shutdown.h>
#include <host/Transcript.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <limits.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The installer's own fields that --src and --dest are typed into: the edits of the path
// page (source 1000, destination 1001). The automation itself knows no installer ids.
constexpr int kSourceEditId = 1000;
constexpr int kDestinationEditId = 1001;

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "veltrix-setup: %s\n", message.c_str());
    return status;
}

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

// A restart that the installer asked the system for decides the status: the host is never
// restarted, so the status tells the caller what is due.
int RestartStatus(int status) {
    switch (host::RequestedRestart()) {
    case host::RestartKind::Computer:
    case host::RestartKind::ShutDown:
        return 4;
    case host::RestartKind::Windows:
        return 3;
    default:
        return status;
    }
}

const char* StatusMeaning(int status) {
    switch (status) {
    case 0:
        return "finished";
    case 1:
        return "abandoned";
    case 2:
        return "refused";
    case 3:
        return "finished, Windows must restart";
    case 4:
        return "finished, the computer must restart";
    default:
        return "ended";
    }
}

} // namespace

int main(int argc, char** argv) {
    host::HostOptions options;
    std::string message;
    bool terminal = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    switch (host::ParseHostOptions(argc, argv, terminal, options, message)) {
    case host::ParseOutcome::Help:
    case host::ParseOutcome::Version:
        std::fputs(message.c_str(), stdout);
        return 0;
    case host::ParseOutcome::Error:
        std::fprintf(stderr, "veltrix-setup: %s\nRun with --help for more information.\n",
                     message.c_str());
        return host::kExitUsage;
    case host::ParseOutcome::Run:
        break;
    }

    if (!IsDirectory(options.machine.mediaDir))
        return Fail(host::kExitNoInput,
                    "the medium " + options.machine.mediaDir + " is not a directory");
    for (auto& disk : options.disks) {
        if (!IsDirectory(disk.second))
            return Fail(host::kExitNoInput, "the medium of disk " + std::to_string(disk.first) +
                                                ", " + disk.second + ", is not a directory");
        // The disk is put into a drive later, wherever the program's directory is by then.
        if (char* absolute = realpath(disk.second.c_str(), nullptr)) {
            disk.second = absolute;
            std::free(absolute);
        }
    }
    std::string answersText;
    if (!options.answersFile.empty() && !ReadFile(options.answersFile, answersText))
        return Fail(host::kExitNoInput, "cannot read the answers file " + options.answersFile);

    if (!host::StartMachine(options.machine, message))
        return Fail(host::kExitCannotCreate, message);

    host::AutomationOptions automation;
    automation.silent = options.silent;
    automation.disks = options.disks;
    automation.overwrite =
        options.overwrite == host::OverwriteChoice::Ask  ? host::OverwriteRule::Ask
        : options.overwrite == host::OverwriteChoice::No ? host::OverwriteRule::No
                                                         : host::OverwriteRule::Yes;
    if (options.srcGiven)
        automation.fields.emplace_back(kSourceEditId, host::Utf8ToAnsi(options.src));
    if (options.destGiven)
        automation.fields.emplace_back(kDestinationEditId, host::Utf8ToAnsi(options.dest));
    if (!options.answersFile.empty() &&
        !host::ParseAnswers(answersText, true, automation.answers, message)) {
        host::StopMachine();
        return Fail(host::kExitDataError, options.answersFile + ": " + message);
    }

    if (options.transcriptFile == "-" ||
        (options.transcriptFile.empty() && options.ui == host::FrontendKind::Headless)) {
        host::StartTranscript(stdout);
    } else if (!options.transcriptFile.empty() &&
               !host::StartTranscript(options.transcriptFile, message)) {
        host::StopMachine();
        return Fail(host::kExitCannotCreate, message);
    }

    if (!host::StartFrontend(options.ui, message)) {
        host::StopTranscript();
        host::StopMachine();
        return Fail(host::kExitUnavailable, message);
    }
    if (!options.Unattended())
        host::SetTerminalDisks(options.disks);
    if (options.Unattended()) {
        host::StartAutomation(automation);
        host::SetAutomation(&host::ActOrStop);
        host::SetAutomationPoll(&host::PollAnswers);
    }

    char commandLine[] = "";
    int status = WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
    if (status < 0 || status > 4)
        status = host::kExitInternal;
    status = RestartStatus(status);

    host::SetAutomation({});
    host::SetAutomationPoll({});
    host::StopAutomation();
    host::StopFrontend();
    host::NoteLine("end", "status " + std::to_string(status) + " (" + StatusMeaning(status) + ")",
                   true);
    host::StopTranscript();
    // Said after the terminal is given back, so that it stays on the screen.
    std::fprintf(stderr, "%s\n", host::OutcomeLine(status).c_str());
    host::StopMachine();
    return status;
}
