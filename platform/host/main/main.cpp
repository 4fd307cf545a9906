// The native program: reads the command line, starts the emulated machine, the front end,
// the transcript and the automation, runs the installer (WinMain) and ends with its status.
#include "../HostOptions.h"
#include "../Outcome.h"
#include "../ProgressLine.h"
#include "../Recorder.h"

#include <host/Automation.h>
#include <host/Frontend.h>
#include <kernel/Interrupt.h>
#include <host/Machine.h>
#include <registry/Registry.h>
#include <registry/Shutdown.h>
#include <host/Transcript.h>
#include <windows.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The installer's own fields that --src and --dest are typed into: the edits of the path
// page (source 1000, destination 1001). The automation itself knows no installer ids.
constexpr int kSourceEditId = 1000;
constexpr int kDestinationEditId = 1001;
// The copy page's lines and its progress bar, which the progress line reads.
constexpr host::ProgressControls kCopyPage = {1006, 1004, 1005, 1013};

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

int Fail(int status, const std::string& message) {
    std::fprintf(stderr, "veltrix-setup: %s\n", message.c_str());
    return status;
}

// An answers file is a few lines of text: anything else (a device, a pipe, a directory, a file
// of many megabytes) is a mistake that must not hang the run or exhaust its memory.
constexpr off_t kMaxAnswersBytes = 1 << 20;

// Reads the answers file. On failure: the status to end with and the message.
bool ReadAnswersFile(const std::string& path, std::string& text, int& status,
                     std::string& message) {
    // Non-blocking, so that opening a FIFO without a writer does not wait.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        status = host::kExitNoInput;
        message = "cannot read the answers file " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        status = host::kExitNoInput;
        message = "the answers file " + path + " is not a regular file";
        return false;
    }
    if (info.st_size > kMaxAnswersBytes) {
        close(fd);
        status = host::kExitDataError;
        message = "the answers file " + path + " is larger than 1 MiB";
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            int error = errno;
            close(fd);
            status = host::kExitNoInput;
            message = "cannot read the answers file " + path + " (" + std::strerror(error) + ")";
            return false;
        }
        if (got == 0)
            break;
        text.append(buffer, static_cast<size_t>(got));
        // A file that grows while it is read is held to the same limit.
        if (text.size() > static_cast<size_t>(kMaxAnswersBytes)) {
            close(fd);
            status = host::kExitDataError;
            message = "the answers file " + path + " is larger than 1 MiB";
            return false;
        }
    }
    close(fd);
    return true;
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

// The registry entries of a finished run reach the disk now, while the status can still say
// that they did not; a run that ended before its entries were complete leaves the registry as
// it was.
int SettleRegistry(int status) {
    bool finished = status == 0 || status == 3 || status == 4;
    if (finished)
        host::FlushRegistry();
    if (!host::RegistryEntriesLost()) {
        if (!finished)
            host::DiscardRegistryChanges();
        return status;
    }
    std::fprintf(stderr, "veltrix-setup: the registry entries were not saved in the prefix %s\n",
                 host::PrefixDir().c_str());
    host::DiscardRegistryChanges();
    return finished ? host::kExitRegistryLost : status;
}

const char* SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "a signal";
    }
}

std::string g_transcriptFile;

// Closes the transcript. FALSE, with the message said, when some of it could not be written.
bool CloseTranscript() {
    if (host::StopTranscript())
        return true;
    std::fprintf(stderr, "veltrix-setup: cannot write the transcript %s\n",
                 g_transcriptFile.empty() ? "to standard output" : g_transcriptFile.c_str());
    return false;
}

// The end of a run that a signal interrupted, at a point where nothing is half done; the
// program's own handlers have removed its temporary files by then.
[[noreturn]] void EndInterrupted(int signal) {
    host::SetAutomation({});
    host::SetAutomationPoll({});
    host::StopAutomation();
    host::StopFrontend();
    std::string name = SignalName(signal);
    host::NoteLine("end",
                   "status " + std::to_string(host::kExitInterrupted) + " (interrupted by " + name +
                       ")",
                   true);
    CloseTranscript();
    host::StopRecording();
    std::fprintf(stderr, "veltrix-setup: interrupted by %s; the run was abandoned\n", name.c_str());
    // An interrupted run leaves the registry as it was.
    host::DiscardRegistryChanges();
    host::StopMachine();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(host::kExitInterrupted);
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
    int answersStatus = 0;
    if (!options.answersFile.empty() &&
        !ReadAnswersFile(options.answersFile, answersText, answersStatus, message))
        return Fail(answersStatus, message);

    // A file-size limit (ulimit -f) makes a write fail as a full disk does, instead of
    // killing the program before it can keep the old file and say so.
    std::signal(SIGXFSZ, SIG_IGN);

    if (!host::StartMachine(options.machine, message))
        return Fail(host::LastStartFailure() == host::StartFailure::WineServerRunning
                        ? host::kExitWineRunning
                        : host::kExitCannotCreate,
                    message);
    host::CatchInterrupts(EndInterrupted);

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
    // A disk's directory is put into the drive later, wherever the program's directory is then.
    for (host::Answer& answer : automation.answers)
        for (host::AnswerAction& action : answer.actions)
            if (action.kind == host::AnswerAction::Kind::Insert)
                if (char* absolute = realpath(action.text.c_str(), nullptr)) {
                    action.text = absolute;
                    std::free(absolute);
                }

    if (options.transcriptFile == "-" ||
        (options.transcriptFile.empty() && options.ui == host::FrontendKind::Headless)) {
        host::StartTranscript(stdout);
    } else if (!options.transcriptFile.empty() &&
               !host::StartTranscript(options.transcriptFile, message)) {
        host::StopMachine();
        return Fail(host::kExitCannotCreate, message);
    }
    if (options.transcriptFile != "-")
        g_transcriptFile = options.transcriptFile;

    if (!options.recordFile.empty() && !host::StartRecording(options.recordFile, message)) {
        host::StopTranscript();
        host::StopMachine();
        return Fail(host::kExitCannotCreate, message);
    }
    if (!host::StartFrontend(options.ui, message)) {
        host::StopRecording();
        host::StopTranscript();
        host::StopMachine();
        return Fail(host::kExitUnavailable, message);
    }
    // The line is for a person watching: never in a pipe or a file, nor over the terminal
    // interface.
    if (options.ui == host::FrontendKind::Headless && !options.quiet && isatty(STDERR_FILENO)) {
        host::StartProgressLine(kCopyPage);
        // A transcript on the same terminal gets its lines to itself.
        if (host::TranscriptStarted() && g_transcriptFile.empty() && isatty(STDOUT_FILENO))
            host::SetBeforeTranscriptLine(&host::HideProgressLine);
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
    host::ClearProgressLine();
    if (status < 0 || status > 4)
        status = host::kExitInternal;
    status = RestartStatus(status);
    status = SettleRegistry(status);

    host::SetAutomation({});
    host::SetAutomationPoll({});
    host::StopAutomation();
    host::StopFrontend();
    // The closing line says where the files and registry entries went.
    host::NoteLine("end",
                   "status " + std::to_string(status) + " (" + host::StatusMeaning(status) +
                       "), prefix " + host::PrefixDir(),
                   true);
    // A transcript that was asked for and could not be written is a failure of the run, as the
    // help promises, even when the installation itself finished.
    bool transcriptWritten = CloseTranscript();
    bool recorded = host::StopRecording();
    // Said after the terminal is given back, so that it stays on the screen.
    std::fprintf(stderr, "%s\n", host::OutcomeLine(status).c_str());
    host::StopMachine();
    if (!recorded)
        std::fprintf(stderr, "veltrix-setup: cannot write the answers file %s\n",
                     options.recordFile.c_str());
    if (!transcriptWritten || !recorded) {
        std::fprintf(stderr, "veltrix-setup: the run itself ended with status %d (%s)\n", status,
                     host::StatusMeaning(status));
        return host::kExitCannotCreate;
    }
    return status;
}
