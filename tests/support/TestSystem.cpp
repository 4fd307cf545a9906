// The emulated machine's side of TestSystem.h.
#include "TestSystem.h"

#include <cstdlib>

std::string TestDriveC() {
    return "C:\\";
}

bool HaveMscompress() {
    return std::system("command -v mscompress >/dev/null 2>&1") == 0;
}

bool Mscompress(const std::string& hostPath) {
    std::string command = "mscompress '" + hostPath + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}
