// The loader over a script whose [Registry] section names one registry section again and
// again: N identical [Registry] lines and one section of N values, so that the loader reads
// that section's N values N times. Each read must cost no more than a lookup in the parsed
// file; before, every read opened the script and resolved its path again, and 800 lines took
// half a minute.
//
// Usage: bench_repeated_registry [N ...]   (default 200 400 800 1600)

#include "script/SetupScript.h"

#include <host/Machine.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

void WriteScript(const std::string& path, long lines) {
    std::ofstream out(path, std::ios::binary);
    out << "[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\nCaption=Bench\r\n"
           "DefaultDstPath=BENCH\r\n[Files]\r\n1:A.TXT=\r\n[Registry]\r\n";
    for (long i = 0; i < lines; ++i)
        out << "KEY=HKEY_LOCAL_MACHINE,SOFTWARE\r\n";
    out << "[KEY]\r\n";
    for (long i = 0; i < lines; ++i)
        out << "V" << i << "=REG_SZ,value " << i << "\r\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atol(argv[i]));
    if (sizes.empty())
        sizes = {200, 400, 800, 1600};

    std::printf("%8s %9s %10s %12s\n", "lines", "bytes", "load ms", "ns per read");
    for (long lines : sizes) {
        char pattern[] = "/tmp/bench_repeated_registry.XXXXXX";
        if (!mkdtemp(pattern))
            return 1;
        std::string root = pattern;
        std::string media = root + "/media";
        std::filesystem::create_directories(media);
        WriteScript(media + "/INSTKIT.INF", lines);
        std::ofstream(media + "/SETUP.EXE", std::ios::binary) << "MZ";
        host::MachineOptions options;
        options.prefix = root + "/prefix";
        options.mediaDir = media;
        options.language = "ENU";
        std::string error;
        if (!host::StartMachine(options, error)) {
            std::fprintf(stderr, "cannot start the machine: %s\n", error.c_str());
            return 1;
        }
        auto start = std::chrono::steady_clock::now();
        { CSetupScript loaded; }
        double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        host::StopMachine();
        long bytes = static_cast<long>(std::filesystem::file_size(media + "/INSTKIT.INF"));
        std::filesystem::remove_all(root);
        // About one read per value per line, and one key list per line.
        double reads = static_cast<double>(lines) * static_cast<double>(lines + 1);
        std::printf("%8ld %9ld %10.1f %12.0f\n", lines, bytes, ms, ms * 1e6 / reads);
    }
    return 0;
}
