// Measures the registry on a prefix with a large system.reg, as a Wine prefix has: loading the
// file, and writing keys as the registry writer does (each RegCloseKey of the new key rewrites
// system.reg whole and syncs it). One run; each figure is the best of three rounds.
//
//   bench_registry [keys in system.reg] [entries written]     (default 40000 x 20)
#include <host/Machine.h>
#include <registry/Registry.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kRounds = 3;

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

// A system.reg shaped like the class registrations that make most of a Wine prefix's file.
void WriteSystemReg(const std::string& path, int keys) {
    std::ofstream out(path, std::ios::binary);
    out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n";
    for (int i = 0; i < keys / 2; ++i) {
        out << "\n[Software\\\\Classes\\\\CLSID\\\\{" << i
            << "-0000-0000-C000-000000000046}] 1600000000\n#time=1d6a1b2c3d4e5f6\n"
            << "@=\"Sample class " << i << "\"\n"
            << "\n[Software\\\\Classes\\\\CLSID\\\\{" << i
            << "-0000-0000-C000-000000000046}\\\\InprocServer32] 1600000000\n"
            << "#time=1d6a1b2c3d4e5f6\n@=\"C:\\\\windows\\\\system32\\\\sample" << i
            << ".dll\"\n\"ThreadingModel\"=\"Both\"\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    int keys = argc > 1 ? std::atoi(argv[1]) : 40000;
    int entries = argc > 2 ? std::atoi(argv[2]) : 20;
    char pattern[] = "/tmp/veltrix-bench-registry-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    std::string dir = pattern;
    fs::create_directories(dir + "/media");
    std::ofstream(dir + "/media/SETUP.EXE") << "MZ";

    double bestLoad = 1e30;
    double bestEntry = 1e30;
    uintmax_t fileSize = 0;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove_all(dir + "/prefix");
        fs::create_directories(dir + "/prefix");
        WriteSystemReg(dir + "/prefix/system.reg", keys);
        fileSize = fs::file_size(dir + "/prefix/system.reg");

        host::MachineOptions options;
        options.prefix = dir + "/prefix";
        options.mediaDir = dir + "/media";
        options.language = "ENU";
        std::string error;
        if (!host::StartMachine(options, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        auto start = std::chrono::steady_clock::now();
        host::LoadRegistry();
        bestLoad = std::min(bestLoad, Milliseconds(start));

        start = std::chrono::steady_clock::now();
        for (int i = 0; i < entries; ++i) {
            HKEY parent = nullptr;
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_SET_VALUE | KEY_CREATE_SUB_KEY,
                              &parent) != ERROR_SUCCESS ||
                RegCreateKeyExA(parent, ("Bench Co\\Entry" + std::to_string(i)).c_str(), 0, nullptr,
                                0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
                return 1;
            DWORD value = static_cast<DWORD>(i);
            RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           sizeof value);
            RegCloseKey(key);
            RegCloseKey(parent);
        }
        bestEntry = std::min(bestEntry, Milliseconds(start) / entries);
        host::StopMachine();
    }
    fs::remove_all(dir);
    std::printf("system.reg of %d keys, %.1f MB\n", keys, fileSize / 1048576.0);
    std::printf("load:                %8.1f ms\n", bestLoad);
    std::printf("one registry entry:  %8.1f ms (file rewritten and synced)\n", bestEntry);
    return 0;
}
