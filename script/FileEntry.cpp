#include "script/FileEntry.h"

#include "script/NumberParsing.h"
#include "script/PathMacro.h"
#include "script/TargetFilter.h"
#include "script/TokenList.h"

#include <mbstring.h>

#include <cstring>

CFileEntry::CFileEntry(LPCSTR key, LPCSTR value) : m_dwTargetOS(OS_ALL), m_dwTargetPC(PC_ALL) {
    if (!key || std::strlen(key) >= static_cast<size_t>(kKeyBufferSize))
        return;
    unsigned char buffer[kKeyBufferSize];
    std::strcpy(reinterpret_cast<char*>(buffer), key);

    static const unsigned char kColon[] = ":";
    unsigned char* disk = _mbstok(buffer, kColon);
    if (!disk)
        return;
    m_nDisk = DecimalValue(TrimSpaces(reinterpret_cast<LPCSTR>(disk)));
    unsigned char* source = _mbstok(nullptr, kColon);
    if (!source)
        return;

    CTokenList sourceFields(reinterpret_cast<LPCSTR>(source), ',');
    if (sourceFields.GetCount() == 0)
        return;

    m_bValid = TRUE;
    m_strSrcPath = sourceFields.GetAt(0);
    int lastBackslash = m_strSrcPath.ReverseFind('\\');
    if (lastBackslash >= 0) {
        m_strSrcName = m_strSrcPath.Mid(lastBackslash + 1);
        if (m_strSrcName.IsEmpty())
            m_bValid = FALSE;
    } else {
        m_strSrcName = m_strSrcPath;
    }

    if (m_bValid && !m_strSrcPath.IsEmpty() && sourceFields.GetCount() >= 2) {
        m_dwTargetOS = ParseTargetOS(sourceFields.GetAt(1));
        if (m_dwTargetOS == 0) {
            m_bValid = FALSE;
        } else if (sourceFields.GetCount() >= 3) {
            m_dwTargetPC = ParseTargetPC(sourceFields.GetAt(2));
            if (m_dwTargetPC == PC_UNKNOWN)
                m_bValid = FALSE;
        }
    }
    if (!m_bValid)
        return;

    CTokenList valueFields(value, ',');
    int count = valueFields.GetCount();
    if (count >= 1)
        m_strDstName = valueFields.GetAt(0);
    if (count >= 2)
        m_strDstDir = ExpandPathMacro(valueFields.GetAt(1));
    if (count >= 3)
        m_nReserved = DecimalValue(valueFields.GetAt(2));
    if (count >= 4) {
        DWORD flags = static_cast<DWORD>(HexValue(valueFields.GetAt(3)));
        m_nOverwriteMode = flags & 0xFFFF;
        m_bUpdateOnly = (flags >> 16) & 1;
    }

    if ((m_dwTargetOS & OS_WIN95) && m_strDstName.CompareNoCase("WINKELP.DLL") == 0)
        m_bDriverDll = TRUE;
}

CFileEntry::~CFileEntry() = default;
