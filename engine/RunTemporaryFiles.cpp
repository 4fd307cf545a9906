#include "engine/RunTemporaryFiles.h"

#include "framework/CStringArray.h"

namespace {

CStringArray& TemporaryFiles() {
    static CStringArray files;
    return files;
}

CString& TemporaryDirectory() {
    static CString directory;
    return directory;
}

// Empties the temporary directory (it holds only files the run expanded) and removes it.
void RemoveDirectoryAndFiles(const CString& directory) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(directory + "\\*", &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(directory + "\\" + found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(directory);
}

BOOL WINAPI RemoveOnEnd(DWORD) {
    CStringArray& files = TemporaryFiles();
    for (int i = 0; i < files.GetSize(); ++i)
        DeleteFileA(files[i]);
    files.RemoveAll();
    if (!TemporaryDirectory().IsEmpty())
        RemoveDirectoryAndFiles(TemporaryDirectory());
    TemporaryDirectory().Empty();
    // The process ends as it would without this handler.
    return FALSE;
}

void EnsureHandler() {
    static BOOL s_bInstalled = FALSE;
    if (!s_bInstalled)
        s_bInstalled = SetConsoleCtrlHandler(RemoveOnEnd, TRUE);
}

} // namespace

void NoteTemporaryFile(LPCSTR path) {
    EnsureHandler();
    TemporaryFiles().Add(path);
}

void ForgetTemporaryFile(LPCSTR path) {
    CStringArray& files = TemporaryFiles();
    for (int i = files.GetSize() - 1; i >= 0; --i) {
        if (files[i] == path) {
            files.RemoveAt(i);
            return;
        }
    }
}

void NoteTemporaryDirectory(LPCSTR path) {
    EnsureHandler();
    TemporaryDirectory() = path ? path : "";
}
