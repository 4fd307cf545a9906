#include "engine/TemporaryDirectory.h"

#include "engine/PathHelpers.h"
#include "engine/RunTemporaryFiles.h"

// The attributes the directory is made with are those of a 32-bit program: 12 bytes there.
static_assert(sizeof(void*) != 4 || sizeof(SECURITY_ATTRIBUTES) == 12,
              "SECURITY_ATTRIBUTES is 12 bytes on a 32-bit system");

namespace {

const int kPathBufferSize = 512;
const int kCandidates = 100;
// "\TEMP99" and the terminating zero.
const int kLongestSuffix = 8;

} // namespace

BOOL CreateTemporaryDirectory(LPCSTR base, CString& path) {
    SECURITY_ATTRIBUTES security;
    security.nLength = sizeof security;
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = TRUE;

    path.Empty();
    // A base too long for the name buffer gets no directory rather than an overflow.
    if (!base || lstrlenA(base) > kPathBufferSize - kLongestSuffix)
        return FALSE;
    char candidate[kPathBufferSize];
    for (int n = 0; n < kCandidates; ++n) {
        wsprintfA(candidate, "%s\\TEMP%d", base, n);
        if (IsValidDirectoryPath(candidate))
            continue;
        if (CreateDirectoryA(candidate, &security)) {
            path = candidate;
            NoteTemporaryDirectory(path);
            return TRUE;
        }
    }
    // No directory was made: the removal at the end must not take a directory of that name
    // that belongs to someone else.
    return FALSE;
}

void RemoveTemporaryDirectory(const CString& path) {
    if (!path.IsEmpty()) {
        RemoveDirectoryA(path);
        NoteTemporaryDirectory(nullptr);
    }
}
