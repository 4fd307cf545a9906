// Measures the registry on a prefix with a large system.reg, as a Wine prefix has: loading the
// file, and writing keys as the registry writer does (each key opened, created, given a value
// and closed, then one flush that writes system.reg once). One run; each figure is the best of
// three rounds. Target: 1,000 keys into a 4 MB system.reg in under 0.5 s.
//
// With --wine-prefix DIR (a prefix made by wineboot), it also times the program installing the
// sample medium into copies of that prefix, as a Wine user would (target: well under 1 s).
//
//   bench_registry [keys in system.reg] [entries written]     (default 28000 x 1000)
//   bench_registry --wine-prefix DIR
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
#include <sys/wait.h>
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

// The directory of this program (build/bench), from which the program and the sample medium
// of the build are found.
std::string BuildDir() {
    std::error_code failure;
    fs::path self = fs::read_symlink("/proc/self/exe", failure);
    return failure ? std::string(".") : self.parent_path().parent_path().string();
}

// Installs the sample into fresh copies of a wineboot-made prefix and prints the best time.
int BenchWineInstall(const std::string& booted) {
    std::string build = BuildDir();
    std::string program = build + "/veltrix-setup";
    std::string media = build + "/examples";
    if (!fs::exists(booted + "/system.reg") || !fs::exists(program) ||
        !fs::exists(media + "/disk1/INSTKIT.INF")) {
        std::fprintf(stderr, "need %s/system.reg, %s and the sample medium in %s\n", booted.c_str(),
                     program.c_str(), media.c_str());
        return 1;
    }
    char pattern[] = "/tmp/veltrix-bench-wine-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    std::string prefix = std::string(pattern) + "/prefix";
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        fs::remove_all(prefix);
        fs::copy(booted, prefix, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        std::string command = "env -u VELTRIX_PREFIX WINEPREFIX=" + prefix + " " + program +
                              " --ui headless --silent --media " + media +
                              "/disk1 --disk 2=" + media + "/disk2 >/dev/null 2>&1";
        auto start = std::chrono::steady_clock::now();
        int status = std::system(command.c_str());
        best = std::min(best, Milliseconds(start));
        if (!WIFEXITED(status) || (WEXITSTATUS(status) != 3 && WEXITSTATUS(status) != 4)) {
            std::fprintf(stderr, "the sample's run ended with status %d\n", WEXITSTATUS(status));
            return 1;
        }
    }
    std::printf("sample into a wineboot prefix (system.reg %.1f MB): %8.1f ms\n",
                fs::file_size(booted + "/system.reg") / 1048576.0, best);
    fs::remove_all(pattern);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--wine-prefix")
        return BenchWineInstall(argv[2]);
    int keys = argc > 1 ? std::atoi(argv[1]) : 28000;
    int entries = argc > 2 ? std::atoi(argv[2]) : 1000;
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
        // Starting the machine reads the registry files.
        auto start = std::chrono::steady_clock::now();
        if (!host::StartMachine(options, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
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
        // The registry writer's flush after its last entry: system.reg is written once.
        if (RegFlushKey(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS)
            return 1;
        bestEntry = std::min(bestEntry, Milliseconds(start));
        host::StopMachine();
    }
    fs::remove_all(dir);
    std::printf("system.reg of %d keys, %.1f MB\n", keys, fileSize / 1048576.0);
    std::printf("start and load:      %8.1f ms\n", bestLoad);
    std::printf("%d registry entries and the flush: %8.1f ms (target under 500 ms)\n", entries,
                bestEntry);
    return 0;
}
