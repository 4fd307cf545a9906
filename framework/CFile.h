// The file status query of the framework's file class.
#pragma once

#include "CTime.h"

#include <windows.h>

struct CFileStatus {
    CTime m_ctime;
    CTime m_mtime;
    CTime m_atime;
    LONG m_size = 0;
    BYTE m_attribute = 0;
    char m_szFullName[MAX_PATH] = {};
};

class CFile {
  public:
    enum Attribute {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20
    };

    // Makes the name a full path, looks it up with FindFirstFileA and fills the record with
    // its attributes, size and times (local time). FALSE when nothing is found.
    static BOOL GetStatus(LPCSTR fileName, CFileStatus& status);
    // The m_mtime of GetStatus alone: a comparison of dates need not convert the creation
    // and access times, each a look at the host's time zone.
    static BOOL GetModificationTime(LPCSTR fileName, CTime& time);
};
