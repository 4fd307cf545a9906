#include "engine/ExpandFile.h"

#include "engine/FileCompare.h"
#include "engine/RunTemporaryFiles.h"
#include "resources/resource.h"

namespace {

// Enough attempts to step over leftovers of earlier runs without looping on a directory
// that refuses every new file.
constexpr int kTemporaryNameAttempts = 64;

BOOL Fail(CInstallerWindow& window, UINT message) {
    window.MessageBoxId(message, nullptr, MB_ICONEXCLAMATION);
    return FALSE;
}

// TRUE when an existing destination may be replaced: not read-only, not a directory, and not
// held open by someone who keeps others from writing it. Those who let others write (as this
// copy's own reading of the source does) are no obstacle.
BOOL CanReplace(LPCSTR destination) {
    DWORD attributes = GetFileAttributesA(destination);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return TRUE; // nothing to replace; whether the directory takes a new file shows next
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))
        return FALSE;
    HANDLE file = CreateFileA(destination, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    CloseHandle(file);
    return TRUE;
}

// Creates a new, empty file in the destination's directory and gives its path and a handle
// open for writing it: written through that one handle, the copy is never truncated, which
// would make the file system flush it at close. INVALID_HANDLE_VALUE when the directory does
// not take a new file.
HANDLE CreateTemporaryBeside(LPCSTR destination, CString& temporary) {
    static unsigned s_nSequence = 0;
    CString directory = DirectoryPart(destination);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        CString name;
        name.Format("~VX%05X.TMP", (GetTickCount() + ++s_nSequence) & 0xFFFFF);
        temporary = directory + name;
        HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

BOOL ExpandFile(CInstallerWindow& window, LPCSTR source, LPCSTR destination) {
    OFSTRUCT sourceInfo;
    INT sourceFile = LZOpenFileA(const_cast<LPSTR>(source), &sourceInfo, OF_READ);
    if (sourceFile < 0)
        return Fail(window, IDS_ERR_OPEN_SOURCE);

    CString temporary;
    HANDLE temporaryFile = INVALID_HANDLE_VALUE;
    if (!CanReplace(destination) ||
        (temporaryFile = CreateTemporaryBeside(destination, temporary)) == INVALID_HANDLE_VALUE) {
        LZClose(sourceFile);
        return Fail(window, IDS_ERR_OPEN_DESTINATION);
    }
    CTemporaryFileNote note(temporary);

    // LZCopy writes to a plain file handle, as LZOpenFileA gives one for writing.
    LONG copied = LZCopy(sourceFile, static_cast<INT>(reinterpret_cast<INT_PTR>(temporaryFile)));
    CloseHandle(temporaryFile);
    LZClose(sourceFile);
    if (copied < 0) {
        DeleteFileA(temporary);
        return Fail(window, IDS_ERR_COPY);
    }
    if (!MoveFileExA(temporary, destination, MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary);
        return Fail(window, IDS_ERR_OPEN_DESTINATION);
    }
    return TRUE;
}
