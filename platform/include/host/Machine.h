// The host program around the emulated machine (platform/host): the command line, the prefix
// and its lock, the terminal and headless front ends, the automation with its answers file, and
// the transcript. It may use every subsystem of the machine and none of them uses it. This
// header starts and stops the machine (a prefix directory with its drives, its Windows and
// System directories and its registry), which the host program and the tests do before any
// Windows API is called; the machine's own facts are in kernel/Machine.h.
#pragma once

#include <kernel/Machine.h>

#include <string>

namespace host {

// Why StartMachine failed.
enum class StartFailure {
    None,
    Unusable,          // the prefix or the medium cannot be made or used
    WineServerRunning, // Wine runs on the prefix and would write over the registry files
};

// Parses the names of the command line ("win95", "nt31", "nt35", "nt351", "nt4"; "pcat",
// "pc98"; "cdrom", "removable", "fixed", "remote"). FALSE for an unknown name.
bool ParseOsKind(const std::string& name, OsKind& kind);
bool ParsePcKind(const std::string& name, PcKind& kind);
bool ParseDriveType(const std::string& name, unsigned& type);

// The prefix used when none is given: $VELTRIX_PREFIX, else $WINEPREFIX (the prefix Wine
// uses), else ~/.local/share/veltrix-setup/machine.
std::string DefaultPrefix();

// Starts the machine: creates or opens the prefix, maps the drives and takes the prefix's
// lock, so that two runs never write one prefix at once. FALSE with a message in error when
// the prefix cannot be made or used, the medium does not exist, or a Wine server runs on the
// prefix (LastStartFailure tells which); the prefix is then unchanged.
//
// The medium goes into the drive letter asked for when the prefix has no mapping of its own
// there (or one to the medium itself), else into the first free letter after it; the machine's
// stop takes it out again, so that the prefix keeps exactly the drives it had.
bool StartMachine(const MachineOptions& options, std::string& error);
StartFailure LastStartFailure();
// Releases the prefix: flushes what the registry holds, takes the medium's drive out and drops
// the lock.
void StopMachine();

// The directory of the Wine server that runs on the prefix directory, or empty when none does.
std::string RunningWineServer(const std::string& prefix);

} // namespace host
