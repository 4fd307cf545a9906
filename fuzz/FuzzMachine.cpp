#include "FuzzMachine.h"

#include <host/Automation.h>
#include <host/Frontend.h>
#include <host/Machine.h>
#include <host/Transcript.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fuzz {
namespace {

std::string g_root;
std::string g_media;

// Runs at exit, after the machine's own static state is gone: only the files are removed.
void RemoveMachine() {
    std::error_code ignored;
    if (!g_root.empty())
        std::filesystem::remove_all(g_root, ignored);
}

bool WriteHost(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

} // namespace

void EnsureMachine() {
    if (!g_root.empty())
        return;
    char pattern[] = "/tmp/veltrix-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    g_root = pattern;
    g_media = g_root + "/media";
    std::filesystem::create_directories(g_media);
    static const uint8_t kProgram[] = {'M', 'Z'};
    WriteHost(g_media + "/SETUP.EXE", kProgram, sizeof kProgram);
    std::atexit(RemoveMachine);

    host::MachineOptions options;
    options.prefix = g_root + "/prefix";
    options.mediaDir = g_media;
    options.language = "JPN";
    std::string error;
    if (!host::StartMachine(options, error) || !host::StartTranscript("/dev/null", error) ||
        !host::StartFrontend(host::FrontendKind::Headless, error)) {
        std::fprintf(stderr, "fuzz machine: %s\n", error.c_str());
        std::abort();
    }
    host::AutomationOptions automation;
    automation.silent = true;
    host::StartAutomation(automation);
    host::SetAutomation([] {
        std::string reason;
        return host::Act(reason) == host::AutomationResult::Acted;
    });
}

std::string PutOnMedium(const std::string& name, const uint8_t* data, size_t size) {
    EnsureMachine();
    if (!WriteHost(g_media + "/" + name, data, size))
        std::abort();
    return "D:\\" + name;
}

const std::string& MediaHostDir() {
    return g_media;
}

} // namespace fuzz
