#include "HostWatch.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <mutex>
#include <unordered_map>

namespace host::detail {
namespace {

// A directory above the one watched: what would change the way through it.
constexpr uint32_t kWayMask = IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW;
// The directory itself and its entries. Not its or its entries' permissions and times: a
// status kept here is asked only where the directory leads and what it holds, and the host
// would slow down every open and close in it to report those.
constexpr uint32_t kEntriesMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t kDirectoryMask = kWayMask | kEntriesMask;
// A file: its contents, its times and its place.
constexpr uint32_t kFileMask =
    IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVE_SELF | IN_DELETE_SELF;
// Past this many directories the others are read every time.
constexpr size_t kMaxWatches = 8192;

std::atomic<bool> g_reported{false};
thread_local bool t_isWatchingThread = false;

void NoteReport(int) {
    g_reported.store(true, std::memory_order_relaxed);
}

// What a path is watched for, and the watch.
struct PathWatch {
    uint32_t mask = 0;
    int watch = -1;
};

struct Watches {
    std::mutex lock;
    int fd = -1;
    bool unavailable = false;
    uint64_t anyMove = 1;
    std::atomic<uint64_t> reports{0}; // every report counted, for a check without the lock
    std::unordered_map<std::string, PathWatch> byPath;
    std::unordered_map<int, uint64_t> changesByWatch;
};

Watches& TheWatches() {
    static Watches watches;
    return watches;
}

// The reports go to this thread as a signal, which only sets a flag: no system call is
// needed to learn that nothing changed.
bool StartWatching(Watches& watches) {
    if (watches.fd >= 0)
        return t_isWatchingThread;
    if (watches.unavailable)
        return false;
    watches.unavailable = true;
    struct sigaction current {};
    sigset_t blocked;
    if (sigaction(SIGIO, nullptr, &current) != 0 || current.sa_handler != SIG_DFL ||
        pthread_sigmask(SIG_BLOCK, nullptr, &blocked) != 0 || sigismember(&blocked, SIGIO))
        return false;
    int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return false;
    struct sigaction action {};
    action.sa_handler = NoteReport;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    f_owner_ex owner = {F_OWNER_TID, static_cast<pid_t>(syscall(SYS_gettid))};
    if (sigaction(SIGIO, &action, nullptr) != 0 || fcntl(fd, F_SETOWN_EX, &owner) != 0 ||
        fcntl(fd, F_SETFL, O_ASYNC | O_NONBLOCK) != 0) {
        close(fd);
        return false;
    }
    watches.fd = fd;
    watches.unavailable = false;
    t_isWatchingThread = true;
    return true;
}

// Counts the reports that came since the last call. The lock is held.
void Drain(Watches& watches) {
    if (!g_reported.exchange(false, std::memory_order_acquire))
        return;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        ssize_t got = read(watches.fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        // A read that left room for another event emptied the queue: a report that comes
        // after it sets the flag again, so there is no need to read until the queue says so.
        bool emptied =
            static_cast<size_t>(got) + sizeof(inotify_event) + NAME_MAX + 1 <= sizeof buffer;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            watches.reports.fetch_add(1, std::memory_order_release);
            if (event->mask &
                (IN_Q_OVERFLOW | IN_IGNORED | IN_UNMOUNT | IN_MOVE_SELF | IN_DELETE_SELF)) {
                // A way to some directory may lead elsewhere now: every path is watched anew.
                ++watches.anyMove;
                watches.byPath.clear();
            } else if (event->wd >= 0) {
                // A directory's entries, or a file's contents or times.
                ++watches.changesByWatch[event->wd];
            }
        }
        if (emptied)
            break;
    }
}

bool Watch(Watches& watches, const std::string& path, uint32_t mask, int& watch) {
    auto known = watches.byPath.find(path);
    if (known != watches.byPath.end() && (known->second.mask & mask) == mask) {
        watch = known->second.watch;
        return true;
    }
    if (watches.byPath.size() >= kMaxWatches)
        return false;
    watch = inotify_add_watch(watches.fd, path.c_str(), mask | IN_MASK_ADD);
    if (watch < 0)
        return false;
    PathWatch& watched = watches.byPath[path];
    watched.mask |= mask;
    watched.watch = watch;
    return true;
}

// The moment now for a watch whose reports were just counted. The lock is held.
WatchStamp StampOf(Watches& watches, int watch) {
    return {watches.anyMove, watches.changesByWatch[watch], watch,
            watches.reports.load(std::memory_order_relaxed)};
}

WatchStamp WatchLocked(Watches& watches, const std::string& directory) {
    if (directory.empty() || directory[0] != '/' || !StartWatching(watches))
        return {};
    Drain(watches);
    int watch = -1;
    bool ancestorsWatched = watches.byPath.count(directory) != 0;
    if (!ancestorsWatched) {
        // From the root down, so that a directory is watched before the way below it is used.
        for (size_t slash = 0; slash != std::string::npos && slash < directory.size();
             slash = directory.find('/', slash + 1)) {
            std::string above = slash == 0 ? "/" : directory.substr(0, slash);
            if (above != directory && !Watch(watches, above, kWayMask, watch))
                return {};
        }
    }
    if (!Watch(watches, directory, kDirectoryMask, watch))
        return {};
    // A report the new watches caused (none should) counts before the stamp.
    Drain(watches);
    return StampOf(watches, watch);
}

bool UnchangedLocked(Watches& watches, const WatchStamp& stamp) {
    if (stamp.anyMove == 0 || !t_isWatchingThread)
        return false;
    Drain(watches);
    auto changes = watches.changesByWatch.find(stamp.watch);
    return stamp.anyMove == watches.anyMove && changes != watches.changesByWatch.end() &&
           changes->second == stamp.changes;
}

} // namespace

WatchStamp WatchFile(const std::string& path) {
    Watches& watches = TheWatches();
    std::lock_guard<std::mutex> guard(watches.lock);
    if (path.empty() || !StartWatching(watches))
        return {};
    Drain(watches);
    int watch = -1;
    if (!Watch(watches, path, kFileMask, watch))
        return {};
    Drain(watches);
    return StampOf(watches, watch);
}

WatchStamp WatchDirectory(const std::string& directory) {
    Watches& watches = TheWatches();
    std::lock_guard<std::mutex> guard(watches.lock);
    return WatchLocked(watches, directory);
}

bool Unchanged(const WatchStamp& stamp) {
    Watches& watches = TheWatches();
    // Nothing reported since the stamp, which is what a second look mostly finds: no lock.
    if (stamp.anyMove != 0 && t_isWatchingThread && !g_reported.load(std::memory_order_acquire) &&
        watches.reports.load(std::memory_order_acquire) == stamp.reports)
        return true;
    std::lock_guard<std::mutex> guard(watches.lock);
    return UnchangedLocked(watches, stamp);
}

} // namespace host::detail
