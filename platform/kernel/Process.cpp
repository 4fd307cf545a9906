// The running process.
#include "kernel/MachineState.h"

#include <unistd.h>

#include <cstdlib>

HANDLE WINAPI GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

DWORD WINAPI GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

void WINAPI ExitProcess(UINT exitCode) {
    // Leaving the machine writes back what its services hold, as Windows has its registry on
    // disk when a process ends; the prefix's lock goes with the process.
    host::detail::RunMachineStopHandlers();
    std::exit(static_cast<int>(exitCode));
}
