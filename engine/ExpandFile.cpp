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

// Creates a new, empty file in the destination's directory and gives its path. FALSE when the
// directory does not take a new file.
BOOL CreateTemporaryBeside(LPCSTR destination, CString& temporary) {
    static unsigned s_nSequence = 0;
    CString directory = DirectoryPart(destination);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        CString name;
        name.Format("~VX%05X.TMP", (GetTickCount() + ++s_nSequence) & 0xFFFFF);
        temporary = directory + name;
        HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return TRUE;
        }
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return FALSE;
    }
    return FALSE;
}

} // namespace

BOOL ExpandFile(CInstallerWindow& window, LPCSTR source, LPCSTR destination) {
    OFSTRUCT sourceInfo;
    INT sourceFile = LZOpenFileA(const_cast<LPSTR>(source), &sourceInfo, OF_READ);
    if (sourceFile < 0)
        return Fail(window, IDS_ERR_OPEN_SOURCE);

    CString temporary;
    if (!CanReplace(destination) || !CreateTemporaryBeside(destination, temporary)) {
        LZClose(sourceFile);
        return Fail(window, IDS_ERR_OPEN_DESTINATION);
    }
    CTemporaryFileNote note(temporary);
    OFSTRUCT temporaryInfo;
    INT temporaryFile = LZOpenFileA(const_cast<LPSTR>(static_cast<LPCSTR>(temporary)),
                                    &temporaryInfo, OF_CREATE | OF_WRITE);
    if (temporaryFile < 0) {
        LZClose(sourceFile);
        DeleteFileA(temporary);
        return Fail(window, IDS_ERR_OPEN_DESTINATION);
    }

    LONG copied = LZCopy(sourceFile, temporaryFile);
    LZClose(temporaryFile);
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
