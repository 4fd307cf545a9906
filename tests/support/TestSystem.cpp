// The emulated machine's side of TestSystem.h.
#include "TestSystem.h"

#include <cstdio>
#include <cstdlib>

std::string TestDriveC() {
    return "C:\\";
}

bool RunHostCommand(const std::string& command, std::string& output) {
    std::string withOutput = command + " 2>&1";
    FILE* pipe = popen(withOutput.c_str(), "r");
    if (!pipe)
        return false;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    return pclose(pipe) == 0;
}

std::string HostToolPath(const std::string& hostPath) {
    return hostPath;
}

bool HaveMscompress() {
    return std::system("command -v mscompress >/dev/null 2>&1") == 0;
}

bool Mscompress(const std::string& hostPath) {
    std::string output;
    return RunHostCommand("mscompress '" + hostPath + "'", output);
}
