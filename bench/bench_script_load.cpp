// How the cost of loading a setup script grows with its size.
//
// For each size a script of N [Files] lines and N/5 [Registry] lines (each with a registry
// section of three values) is written onto the medium of a fresh machine, and then
//   load      the CSetupScript constructor, the first time (the profile reader parses the file)
//   reload    the constructor again (the parsed file comes from the reader's cache)
//   all keys  every key of [Files] and of [Registry] listed into a buffer large enough for the
//             whole list, and every value read by name: the profile reader's share of a load
// Each size runs in a child process of its own, so the peak resident size (getrusage) is that
// size's alone: "base" is the peak after the machine started, "peak" after the two loads (before
// the all-keys pass, whose list buffer would otherwise count).
//
// Usage: bench_script_load [N ...]   (default 1000 10000 100000)

#include "script/SetupScript.h"

#include <host/Machine.h>
#include <windows.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Result {
    long lines = 0;
    long fileBytes = 0;
    long filesAccepted = 0;
    long registryAccepted = 0;
    double loadMs = 0;
    double loadCpuMs = 0;
    double reloadMs = 0;
    double allKeysMs = 0;
    double allKeysCpuMs = 0;
    long keysRead = 0;
    long peakKb = 0;
    long baseKb = 0;
};

// Writes the script line by line, so that making it does not raise the peak resident size.
long WriteScript(const std::string& path, long lines) {
    std::ofstream out(path, std::ios::binary);
    std::string text = "[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\nCaption=Bench\r\n"
                       "DefaultDstPath=BENCH\r\n[Files]\r\n";
    char line[256];
    for (long i = 0; i < lines; ++i) {
        std::snprintf(line, sizeof line, "%ld:DIR%ld\\FILE%07ld.EX_=FILE%07ld.EXE,BIN,0,3\r\n",
                      1 + i % 3, i % 10, i, i);
        text += line;
        if (text.size() > 60000) {
            out << text;
            text.clear();
        }
    }
    text += "[Registry]\r\n";
    long keys = lines / 5;
    for (long i = 0; i < keys; ++i) {
        std::snprintf(line, sizeof line, "KEY%07ld=HKEY_LOCAL_MACHINE,SOFTWARE\\BENCH\r\n", i);
        text += line;
        if (text.size() > 60000) {
            out << text;
            text.clear();
        }
    }
    for (long i = 0; i < keys; ++i) {
        std::snprintf(line, sizeof line,
                      "[KEY%07ld]\r\nName=REG_SZ,Value %ld\r\nCount=REG_DWORD,%ld\r\n"
                      "Bytes=REG_BINARY,1,2,3\r\n",
                      i, i, i);
        text += line;
        if (text.size() > 60000) {
            out << text;
            text.clear();
        }
    }
    out << text;
    return static_cast<long>(out.tellp());
}

double Milliseconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

// Processor time of the process (user and system), which unlike the wall clock does not
// count the time spent waiting for a processor on a busy machine.
double CpuMs() {
    struct timespec now = {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

long PeakKb() {
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Lists every key of a section and reads each value by name; returns the number of keys.
long ReadAllKeys(LPCSTR section, LPCSTR path, size_t listSize) {
    std::vector<char> keys(listSize);
    GetPrivateProfileStringA(section, nullptr, "", keys.data(), static_cast<DWORD>(keys.size()),
                             path);
    long count = 0;
    char value[256];
    for (const char* key = keys.data(); *key; key += std::strlen(key) + 1) {
        GetPrivateProfileStringA(section, key, "", value, sizeof value, path);
        ++count;
    }
    return count;
}

bool Measure(long lines, Result& result) {
    char pattern[] = "/tmp/bench_script_load.XXXXXX";
    if (!mkdtemp(pattern))
        return false;
    std::string root = pattern;
    std::string media = root + "/media";
    std::filesystem::create_directories(media);
    long fileBytes = WriteScript(media + "/INSTKIT.INF", lines);
    std::ofstream(media + "/SETUP.EXE", std::ios::binary) << "MZ";

    host::MachineOptions options;
    options.prefix = root + "/prefix";
    options.mediaDir = media;
    options.language = "ENU";
    std::string error;
    if (!host::StartMachine(options, error)) {
        std::fprintf(stderr, "cannot start the machine: %s\n", error.c_str());
        std::filesystem::remove_all(root);
        return false;
    }
    result.lines = lines;
    result.fileBytes = fileBytes;
    result.baseKb = PeakKb();

    auto start = std::chrono::steady_clock::now();
    double cpuStart = CpuMs();
    {
        CSetupScript loaded;
        result.loadMs = Milliseconds(start);
        result.loadCpuMs = CpuMs() - cpuStart;
        result.filesAccepted = loaded.m_fileList.GetCount();
        result.registryAccepted = loaded.m_registryList.GetCount();
        if (!loaded.m_bLoaded)
            std::fprintf(stderr, "the script was refused\n");
    }
    start = std::chrono::steady_clock::now();
    { CSetupScript again; }
    result.reloadMs = Milliseconds(start);

    result.peakKb = PeakKb();

    // The key list is shorter than the file, so a buffer of the file's size holds it whole.
    size_t listSize = static_cast<size_t>(result.fileBytes) + 2;
    start = std::chrono::steady_clock::now();
    cpuStart = CpuMs();
    result.keysRead = ReadAllKeys("Files", "D:\\INSTKIT.INF", listSize) +
                      ReadAllKeys("Registry", "D:\\INSTKIT.INF", listSize);
    result.allKeysMs = Milliseconds(start);
    result.allKeysCpuMs = CpuMs() - cpuStart;

    host::StopMachine();
    std::filesystem::remove_all(root);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atol(argv[i]));
    if (sizes.empty())
        sizes = {1000, 10000, 100000};

    std::printf("%8s %9s %6s %7s %9s %9s %9s %8s %9s %9s %8s %8s\n", "lines", "bytes", "files",
                "regkeys", "load ms", "load cpu", "reload ms", "keys", "all ms", "all cpu",
                "base MiB", "peak MiB");
    for (long lines : sizes) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return 1;
        pid_t child = fork();
        if (child == 0) {
            close(pipeFds[0]);
            Result result;
            bool ok = Measure(lines, result);
            ssize_t written = ok ? write(pipeFds[1], &result, sizeof result) : 0;
            _exit(written == static_cast<ssize_t>(sizeof result) ? 0 : 1);
        }
        close(pipeFds[1]);
        Result result;
        ssize_t got = read(pipeFds[0], &result, sizeof result);
        close(pipeFds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (got != static_cast<ssize_t>(sizeof result)) {
            std::printf("%8ld failed\n", lines);
            continue;
        }
        std::printf("%8ld %9ld %6ld %7ld %9.1f %9.1f %9.1f %8ld %9.1f %9.1f %8.1f %8.1f\n",
                    result.lines, result.fileBytes, result.filesAccepted, result.registryAccepted,
                    result.loadMs, result.loadCpuMs, result.reloadMs, result.keysRead,
                    result.allKeysMs, result.allKeysCpuMs, result.baseKb / 1024.0,
                    result.peakKb / 1024.0);
        std::fflush(stdout);
    }
    return 0;
}
