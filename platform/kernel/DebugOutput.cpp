// Text for the debugger. Natively there is no debugger to attach: the text is appended to the
// file that VELTRIX_DEBUG_OUTPUT names, so that a run can be watched, and else dropped.
#include "kernel/MachineState.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

void WINAPI OutputDebugStringA(LPCSTR text) {
    const char* path = std::getenv("VELTRIX_DEBUG_OUTPUT");
    if (!text || !path || !*path)
        return;
    int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    size_t length = std::strlen(text);
    // One write per call keeps the texts of several processes whole in the file.
    ssize_t written = write(fd, text, length);
    (void)written;
    close(fd);
}
