#include "Outcome.h"

#include <host/Machine.h>
#include <kernel/MachineState.h>

#include <dirent.h>
#include <strings.h>

namespace host {
namespace {

// The installer's script name: the host program looks for it only to say why a run that was
// refused could not start.
const char kScriptName[] = "INSTKIT.INF";
constexpr size_t kDirectoriesNamed = 3;

bool HasScript(const std::string& mediaDir) {
    DIR* dir = opendir(mediaDir.c_str());
    if (dir == nullptr)
        return false;
    bool found = false;
    while (dirent* entry = readdir(dir))
        if (strcasecmp(entry->d_name, kScriptName) == 0)
            found = true;
    closedir(dir);
    return found;
}

std::string Meaning(int status) {
    switch (status) {
    case 0:
        return "finished";
    case 1:
        return "abandoned";
    case 2:
        return "the setup script was refused";
    case 3:
        return "finished; Windows must restart (asked for and recorded, not carried out)";
    case 4:
        return "finished; the computer must restart (asked for and recorded, not carried out)";
    default:
        return "ended with status " + std::to_string(status);
    }
}

std::string Files(unsigned count) {
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

} // namespace

std::string OutcomeLine(int status) {
    const std::string& mediaDir = detail::TheMachine().options.mediaDir;
    std::string line = "veltrix-setup: " + Meaning(status);
    if (status == 2 && !HasScript(mediaDir))
        return line + ": there is no " + kScriptName + " in " + mediaDir +
               " (give the medium's directory with --media DIR)";
    const auto& placed = PlacedDirectories();
    if (placed.empty()) {
        line += "; no file was installed";
    } else {
        line += "; ";
        for (size_t i = 0; i < placed.size() && i < kDirectoriesNamed; ++i) {
            line += i == 0 ? "" : ", ";
            line += Files(placed[i].files) + " in " + AnsiToUtf8(placed[i].windowsDir) + " (" +
                    placed[i].hostDir + ")";
        }
        if (placed.size() > kDirectoriesNamed) {
            unsigned more = 0;
            for (size_t i = kDirectoriesNamed; i < placed.size(); ++i)
                more += placed[i].files;
            line += ", " + Files(more) + " in " +
                    std::to_string(placed.size() - kDirectoriesNamed) + " other directories";
        }
    }
    return line + "; prefix " + PrefixDir();
}

} // namespace host
