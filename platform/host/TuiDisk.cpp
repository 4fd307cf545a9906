// The next-disk page in the terminal: a --disk given for the disk asked goes into the drive as
// in unattended runs; without one the person puts a host directory in with the disk key; and
// the status line names the file the page waits for, with a beep when OK found it still
// missing. The page itself keeps the installer's own texts.
#include "DiskPrompt.h"
#include "FrontendInternal.h"
#include "Recorder.h"

#include <host/Frontend.h>
#include <host/Machine.h>
#include <host/Transcript.h>

#include <cstdlib>
#include <map>
#include <string>

namespace host {
namespace {

struct DiskState {
    std::map<int, std::string> disks; // --disk N=DIR
    int askedDisk = 0;                // the disk of the last ask seen, 0 when none
    unsigned askedMissing = 0;        // LastMissingFile().count at that ask
};

DiskState& State() {
    static DiskState state;
    return state;
}

std::string KeyName() {
    return "F" + std::to_string(frontend::kDiskKey);
}

// The file the page waits for, as Windows names it; where it was looked for on the host comes
// last, where a narrow terminal may cut it.
std::string MissingFileName() {
    return AnsiToUtf8(LastMissingFile().windowsPath);
}

std::string LookedIn() {
    std::string hostPath = HostPathOf(LastMissingFile().windowsPath);
    return hostPath.empty() ? std::string() : " [looked for " + hostPath + "]";
}

bool CurrentPrompt(DiskPrompt& prompt) {
    HWND top = detail::ActiveTopWindow();
    return top != nullptr && FindDiskPrompt(detail::ReadScene(top), prompt);
}

bool Insert(const DiskPrompt& prompt, const std::string& hostDir) {
    if (!InsertMedium(prompt.letter, hostDir))
        return false;
    NoteLine("action",
             "insert disk " + std::to_string(prompt.disk) + " into " +
                 std::string(1, prompt.letter) + ": from " + hostDir,
             true);
    RecordDiskInsert(hostDir);
    return true;
}

} // namespace

void SetTerminalDisks(const std::map<int, std::string>& disks) {
    State().disks = disks;
}

namespace frontend {

void WatchDiskPrompt() {
    DiskState& state = State();
    DiskPrompt prompt;
    if (!CurrentPrompt(prompt)) {
        // Another window over the page (a message box) leaves the status as it is.
        HWND top = detail::ActiveTopWindow();
        if (top == nullptr || !detail::ReadScene(top).messageBox) {
            if (state.askedDisk != 0)
                SetTuiStatus(std::string());
        }
        return;
    }
    unsigned missingCount = LastMissingFile().count;
    if (state.askedDisk == prompt.disk && state.askedMissing == missingCount)
        return; // the same ask, seen at another wait
    bool again = state.askedDisk == prompt.disk && state.askedMissing != 0;
    state.askedDisk = prompt.disk;
    state.askedMissing = missingCount;
    std::string drive = std::string(1, prompt.letter) + ":";
    std::string missing = MissingFileName();
    if (again) {
        BeepTui();
        SetTuiStatus("Still missing: " + missing + " (" + KeyName() +
                     ": put another directory into " + drive + ")" + LookedIn());
        return;
    }
    auto given = state.disks.find(prompt.disk);
    if (given != state.disks.end()) {
        if (Insert(prompt, given->second))
            SetTuiStatus("Disk " + std::to_string(prompt.disk) + " is in " + drive + " (--disk " +
                         std::to_string(prompt.disk) + "=" + given->second + "): press Enter");
        else
            SetTuiStatus("Cannot put " + given->second + " into " + drive + " (" + KeyName() +
                         ": another directory)");
        return;
    }
    SetTuiStatus("Disk " + std::to_string(prompt.disk) + " wanted: " + missing + " is missing (" +
                 KeyName() + ": put a host directory into " + drive + ")" + LookedIn());
}

void OnDiskKey() {
    DiskPrompt prompt;
    if (!CurrentPrompt(prompt)) {
        BeepTui();
        SetTuiStatus(KeyName() + " puts a disk in when a page asks for one");
        return;
    }
    std::string drive = std::string(1, prompt.letter) + ":";
    std::string dir;
    if (!AskInStatusLine("Host directory of disk " + std::to_string(prompt.disk) + " for " + drive +
                             " (Esc: none): ",
                         dir) ||
        dir.empty())
        return;
    if (dir[0] == '~') {
        const char* home = std::getenv("HOME");
        if (home != nullptr)
            dir = home + dir.substr(1);
    }
    if (char* absolute = realpath(dir.c_str(), nullptr)) {
        dir = absolute;
        std::free(absolute);
    }
    if (!Insert(prompt, dir)) {
        BeepTui();
        SetTuiStatus(dir + " is not a directory; " + KeyName() + " tries again");
        return;
    }
    SetTuiStatus("Disk " + std::to_string(prompt.disk) + " is in " + drive + " (" + dir +
                 "): press Enter");
}

} // namespace frontend
} // namespace host
