// What the shared automation and transcript ask of the machine, answered by the real system:
// text conversions through the system's code page, the program's directory as its medium.
// There is no emulated machine to start, stop or swap disks in.
#include <host/Frontend.h>
#include <host/Machine.h>
#include <kernel/Interrupt.h>
#include <registry/Registry.h>

#include <windows.h>

#include <vector>

namespace host {
namespace {

std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty())
        return text;
    int wideLength =
        MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wideLength <= 0)
        return std::string();
    std::vector<WCHAR> wide(static_cast<size_t>(wideLength));
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        wideLength);
    int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string converted(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, &converted[0], length, nullptr, nullptr);
    return converted;
}

} // namespace

bool MachineStarted() {
    return true;
}

void StopMachine() {}

// The real registry holds what was written at once, and the installer writes it only after the
// last file: an unattended run stopped before that point has written nothing to take back.
void DiscardRegistryChanges() {}

// A program with windows and no console has no console handlers that the system would run;
// what a stopped run leaves in its temporary directory stays, as after any forced end there.
void RunConsoleControlHandlers(unsigned long) {}

void StopFrontend() {}

std::string AnsiToUtf8(const std::string& ansi) {
    return Convert(ansi, CP_ACP, CP_UTF8);
}

std::string Utf8ToAnsi(const std::string& utf8) {
    return Convert(utf8, CP_UTF8, CP_ACP);
}

// The program runs from its medium: the medium is the directory that holds it.
std::string MediaDirWindows() {
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string directory(path, length < sizeof path ? length : 0);
    size_t slash = directory.find_last_of('\\');
    return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

// On a real system the person swaps disks; the program cannot.
bool InsertMedium(char, const std::string&) {
    return false;
}

} // namespace host
