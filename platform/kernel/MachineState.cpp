// The running machine's facts, which every service of the machine reads. The host program fills
// them in when it starts the machine (host/Machine.cpp).
#include <kernel/MachineState.h>

#include <cstring>
#include <functional>
#include <vector>

namespace host::detail {

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
    if (!buffer || size <= text.size())
        return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

namespace {

std::vector<std::function<void()>>& StopHandlers() {
    static std::vector<std::function<void()>> handlers;
    return handlers;
}

} // namespace

void NotePlacedFile(const std::string& windowsDir, const std::string& hostDir) {
    for (PlacedDirectory& placed : TheMachine().placed)
        if (placed.hostDir == hostDir) {
            ++placed.files;
            return;
        }
    TheMachine().placed.push_back({windowsDir, hostDir, 1});
}

void NoteMissingFile(const std::string& windowsPath) {
    MissingFile& missing = TheMachine().lastMissing;
    missing.windowsPath = windowsPath;
    ++missing.count;
}

namespace {

std::function<void(uint64_t)>& LongOperationHandler() {
    static std::function<void(uint64_t)> handler;
    return handler;
}

} // namespace

void NoteLongOperation(uint64_t bytes) {
    if (LongOperationHandler())
        LongOperationHandler()(bytes);
}

void SetLongOperationHandler(std::function<void(uint64_t bytes)> handler) {
    LongOperationHandler() = std::move(handler);
}

void RunMachineStopHandlers() {
    for (auto& handler : StopHandlers()) {
        try {
            handler();
        } catch (...) {
            // One service failing to write back must not keep the prefix locked.
        }
    }
}

} // namespace host::detail

namespace host {

using detail::StopHandlers;
using detail::TheMachine;

bool MachineStarted() {
    return TheMachine().started;
}

const std::vector<PlacedDirectory>& PlacedDirectories() {
    return TheMachine().placed;
}

const MissingFile& LastMissingFile() {
    return TheMachine().lastMissing;
}

const std::string& PrefixDir() {
    return TheMachine().prefix;
}

std::string MediaDirWindows() {
    return std::string(1, TheMachine().options.mediaDrive) + ":\\";
}

std::string ProgramWindowsPath() {
    return MediaDirWindows() + TheMachine().options.programName;
}

void AddMachineStopHandler(std::function<void()> handler) {
    if (handler)
        StopHandlers().push_back(std::move(handler));
}

} // namespace host
