// The files and the directory this run made only for itself: the copy's temporary file beside
// its destination and the temporary directory. When the run is ended from outside (a signal,
// the end of a session) or stopped while unattended, a console control handler removes them,
// so that a run that never reaches its own end leaves nothing behind.
#pragma once

#include "framework/CString.h"

#include <windows.h>

// Notes a temporary file while it exists; the note is dropped when the file is put in place
// or deleted.
void NoteTemporaryFile(LPCSTR path);
void ForgetTemporaryFile(LPCSTR path);
// Notes the run's temporary directory (empty: none); it is emptied and removed.
void NoteTemporaryDirectory(LPCSTR path);

// Notes a temporary file for the lifetime of the object.
class CTemporaryFileNote {
  public:
    explicit CTemporaryFileNote(LPCSTR path) : m_strPath(path) { NoteTemporaryFile(path); }
    ~CTemporaryFileNote() { ForgetTemporaryFile(m_strPath); }
    CTemporaryFileNote(const CTemporaryFileNote&) = delete;
    CTemporaryFileNote& operator=(const CTemporaryFileNote&) = delete;

  private:
    CString m_strPath;
};
