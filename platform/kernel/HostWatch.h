// Reports from the host of changes to the directories whose status this program keeps, so
// that a status read once is trusted until a report says it may have changed, rather than
// read again at every lookup.
//
// A directory is watched for changes of its entries, and it and every directory above it for
// being renamed or removed: what decides where a path leads and what a folder holds. The
// host reports a change with a signal to the thread that started watching, and the signal
// arrives before any of that thread's next system calls returns: a change another process
// made before it let this program know (through a pipe, a process's end, a file) is always
// seen, as it would be by reading the status again. Permissions and times are not watched:
// what they forbid fails when the file is opened or read. Another thread, or a host that
// cannot watch, reads the status every time.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace host::detail {

// The moment a directory's status was read, in the reports' count.
struct WatchStamp {
    uint64_t anyMove = 0; // 0: the directory is not watched, and the status never trusted
    uint64_t changes = 0; // of the directory's entries, or of the file
    int watch = -1;
    uint64_t reports = 0; // of all directories: while no more came, nothing changed
};

// Watches directory (a host path without links) and the directories above it, and stamps the
// moment; the caller reads the status after this. An empty stamp when it cannot be watched.
WatchStamp WatchDirectory(const std::string& directory);
// Watches a file (links followed) for changes of its contents, its times and its place, and
// stamps the moment. An empty stamp when it cannot be watched.
WatchStamp WatchFile(const std::string& path);
// Whether no change was reported for the stamped directory or file since the stamp.
bool Unchanged(const WatchStamp& stamp);

} // namespace host::detail
