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

// Parses the names of the command line ("win95", "nt31", "nt35", "nt351", "nt4"; "pcat",
// "pc98"; "cdrom", "removable", "fixed", "remote"). FALSE for an unknown name.
bool ParseOsKind(const std::string& name, OsKind& kind);
bool ParsePcKind(const std::string& name, PcKind& kind);
bool ParseDriveType(const std::string& name, unsigned& type);

// The prefix used when none is given: $VELTRIX_PREFIX, else
// ~/.local/share/veltrix-setup/machine.
std::string DefaultPrefix();

// Starts the machine: creates or opens the prefix, maps the drives and takes the prefix's
// lock, so that two runs never write one prefix at once. FALSE with a message in error when
// the prefix cannot be made or used, or the medium does not exist.
bool StartMachine(const MachineOptions& options, std::string& error);
// Releases the prefix: flushes what the registry holds and drops the lock.
void StopMachine();

} // namespace host
