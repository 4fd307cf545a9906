// The program's exit statuses besides the application's own 0 to 4, and what each means on
// the transcript's closing line. The native program and the Windows program end with the same
// statuses, so that a script that runs either can tell what happened.
#pragma once

namespace host {

enum HostExitStatus {
    kExitAbandoned = 1,     // also: an unattended run that had no answer
    kExitUsage = 64,        // a bad command line
    kExitDataError = 65,    // an answers file that cannot be parsed
    kExitNoInput = 66,      // the medium, a disk directory or the answers file is missing
    kExitUnavailable = 69,  // the front end cannot run (tui without a terminal)
    kExitInternal = 70,     // the program ended in a way that has no status of its own
    kExitCannotCreate = 73, // the prefix or the transcript file cannot be made, used or written
    kExitWineRunning = 73,  // Wine runs on the prefix: it cannot be used now, nothing was changed
    kExitRegistryLost = 74, // the run's registry entries could not be saved
    kExitInterrupted = 75,  // SIGINT, SIGTERM or SIGHUP ended the run; it can be run again
};

// The words the transcript's closing line gives a status: "finished", "abandoned", ...
const char* StatusMeaning(int status);

} // namespace host
