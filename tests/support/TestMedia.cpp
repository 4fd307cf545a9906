#include "TestMedia.h"

#include "TempDir.h"
#include "TestSystem.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

namespace {

// A host path quoted for the shell, as the host's tools take it.
std::string shellQuoted(const std::string& hostPath) {
    std::string text = HostToolPath(hostPath);
    std::string result = "'";
    for (char c : text) {
        if (c == '\'')
            result += "'\\''";
        else
            result += c;
    }
    return result + "'";
}

bool run(const std::string& command) {
    std::string output;
    return RunHostCommand(command, output);
}

} // namespace

bool MakeCompressedFile(const std::string& source, const std::string& destination) {
    std::string script = std::string(VELTRIX_SOURCE_DIR) + "/examples/make-szdd.sh";
    return run(shellQuoted(script) + " " + shellQuoted(source) + " " + shellQuoted(destination));
}

bool MakeResourceDll(const std::string& destination, const std::string& rcText) {
    // The script and the object lie beside the DLL while it is made.
    std::string script = destination + ".rc";
    std::string object = destination + ".o";
    if (!WriteHostFile(script, "#pragma code_page(65001)\n" + rcText))
        return false;
    bool made = run("i686-w64-mingw32-windres --preprocessor=cpp --preprocessor-arg=-P -i " +
                    shellQuoted(script) + " -O coff -o " + shellQuoted(object)) &&
                run("i686-w64-mingw32-ld --dll -e 0 --subsystem windows -o " +
                    shellQuoted(destination) + " " + shellQuoted(object));
    std::error_code ignored;
    std::filesystem::remove(script, ignored);
    std::filesystem::remove(object, ignored);
    return made;
}

bool MakeVersionDll(const std::string& destination, int major, int minor, int build, int revision) {
    std::string version = std::to_string(major) + "," + std::to_string(minor) + "," +
                          std::to_string(build) + "," + std::to_string(revision);
    return MakeResourceDll(destination, "1 VERSIONINFO\nFILEVERSION " + version +
                                            "\nPRODUCTVERSION " + version +
                                            "\nBEGIN\n BLOCK \"VarFileInfo\"\n BEGIN\n  VALUE "
                                            "\"Translation\", 0x411, 1200\n END\nEND\n");
}

bool SetHostFileTime(const std::string& path, long long seconds) {
    struct utimbuf times;
    times.actime = static_cast<time_t>(seconds);
    times.modtime = static_cast<time_t>(seconds);
    return utime(path.c_str(), &times) == 0;
}
