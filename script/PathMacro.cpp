#include "script/PathMacro.h"

#include "engine/PathHelpers.h"
#include "framework/AfxCore.h"
#include "framework/CWinApp.h"
#include "script/SystemDirectories.h"
#include "script/TokenList.h"

#include <mbstring.h>

#include <cstring>

namespace {

bool StartsWithMacro(const CString& token, LPCSTR macro) {
    return _mbsnbicmp(reinterpret_cast<const unsigned char*>(static_cast<LPCSTR>(token)),
                      reinterpret_cast<const unsigned char*>(macro), std::strlen(macro)) == 0;
}

CString AskDirectory(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH + 1] = {};
    UINT length = query(buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer)
        return CString();
    return CString(buffer, static_cast<int>(length));
}

} // namespace

CString ExpandPathMacro(LPCSTR token) {
    CWinApp* app = AfxGetApp();
    if (auto* directories = dynamic_cast<CSystemDirectories*>(app))
        return ExpandPathMacro(token, directories->m_strWindowsDir, directories->m_strSystemDir);
    // Only a macro needs the directories, and most tokens are plain.
    CString trimmed = TrimSpaces(token);
    if (trimmed.IsEmpty() || trimmed[0] != '<')
        return ExpandPathMacro(token, "", "");
    return ExpandPathMacro(token, AskDirectory(GetWindowsDirectoryA),
                           AskDirectory(GetSystemDirectoryA));
}

CString ExpandPathMacro(LPCSTR token, LPCSTR windowsDir, LPCSTR systemDir) {
    CString result = TrimSpaces(token);
    if (result.IsEmpty())
        return result;

    if (result[0] == '<') {
        CString base;
        int macroLength = 0;
        if (StartsWithMacro(result, "<WIN>")) {
            base = windowsDir;
            macroLength = 5;
        } else if (StartsWithMacro(result, "<SYS>")) {
            base = systemDir;
            macroLength = 5;
        } else if (StartsWithMacro(result, "<SYS16>")) {
            base = CString(windowsDir) + "\\System";
            macroLength = 7;
        }
        if (macroLength > 0) {
            if (result.GetLength() > macroLength) {
                CString rest = result.Mid(macroLength);
                if (rest[0] == '\\')
                    rest = rest.Mid(1);
                result = base + "\\" + rest;
            } else {
                result = base;
            }
        }
    }
    SetTrailingBackslash(result, TRUE);
    return result;
}
