#include "script/SetupScript.h"

#include "framework/CWinApp.h"
#include "resources/resource.h"
#include "script/FileEntry.h"
#include "script/NumberParsing.h"
#include "script/RegistryEntry.h"
#include "script/TargetFilter.h"
#include "script/TokenList.h"

#include <mbstring.h>

namespace {

const char kSetup[] = "Setup";

// Problems of the script are reported before the main window exists: the framework's box
// with the application title, a warning icon and OK.
void ShowScriptMessage(UINT id, LPCSTR scriptName) {
    CString text;
    if (scriptName) {
        CString format;
        format.LoadFormatString(id, "s");
        text.Format(format, scriptName);
    } else {
        text.LoadString(id);
    }
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
}

CString ReadSetupText(LPCSTR key, LPCSTR defaultText, int size, LPCSTR scriptPath) {
    CString text;
    DWORD length = GetPrivateProfileStringA(kSetup, key, defaultText, text.GetBuffer(size),
                                            static_cast<DWORD>(size), scriptPath);
    text.ReleaseBuffer(static_cast<int>(length));
    return text;
}

CString TextOrString(CString text, UINT id) {
    if (text.IsEmpty())
        text.LoadString(id);
    return text;
}

int ReadSetupInt(LPCSTR key, int defaultValue, LPCSTR scriptPath) {
    return static_cast<int>(GetPrivateProfileIntA(kSetup, key, defaultValue, scriptPath));
}

} // namespace

CSetupScript::CSetupScript() {
    char modulePath[kModulePathSize + 1] = {};
    DWORD length = GetModuleFileNameA(nullptr, modulePath, kModulePathSize);
    if (length > kModulePathSize)
        length = kModulePathSize;
    modulePath[length] = '\0';
    unsigned char* lastBackslash =
        _mbsrchr(reinterpret_cast<unsigned char*>(modulePath), static_cast<unsigned char>('\\'));
    if (lastBackslash)
        lastBackslash[1] = '\0';
    else
        modulePath[0] = '\0';
    m_strModuleDir = modulePath;

    CString scriptName;
    scriptName.LoadString(IDS_SCRIPT_NAME);
    m_strScriptPath = m_strModuleDir + scriptName;

    m_bLoaded = FileExists(m_strScriptPath);
    if (!m_bLoaded) {
        ShowScriptMessage(IDS_SCRIPT_NOT_FOUND, scriptName);
        return;
    }

    // A wrong revision is reported but does not stop the load: at most one more message of
    // the checks below follows, and the script stays rejected.
    m_nInfRevision = ReadSetupInt("InfRevision", 0, m_strScriptPath);
    if (m_nInfRevision < 1 || m_nInfRevision > 2) {
        ShowScriptMessage(IDS_ERR_REVISION, scriptName);
        m_bLoaded = FALSE;
    }

    CString targetOS = ReadSetupText("TargetOS", "0", kTargetOSSize, m_strScriptPath);
    m_dwTargetOS = 0;
    if (!targetOS.IsEmpty())
        m_dwTargetOS = WidenOSMask(static_cast<DWORD>(HexValue(TrimSpaces(targetOS)))) & OS_ALL;
    if (m_dwTargetOS == 0) {
        ShowScriptMessage(IDS_ERR_TARGET_OS_INVALID, scriptName);
        m_bLoaded = FALSE;
        return;
    }

    m_dwRunningOS = GetRunningOS();
    if ((m_dwRunningOS & m_dwTargetOS) == 0) {
        ShowScriptMessage(IDS_ERR_OS_UNSUPPORTED, nullptr);
        m_bLoaded = FALSE;
        return;
    }

    DWORD targetPC = static_cast<DWORD>(ReadSetupInt("TargetPC", 0, m_strScriptPath));
    if (targetPC == 0)
        targetPC = PC_ALL;
    else if (targetPC & ~PC_ALL)
        targetPC = PC_UNKNOWN;
    m_dwTargetPC = targetPC;
    m_dwRunningPC = GetRunningPC() & PC_ALL;
    if ((m_dwRunningPC & m_dwTargetPC) == 0) {
        ShowScriptMessage(IDS_ERR_PC_UNSUPPORTED, nullptr);
        m_bLoaded = FALSE;
        return;
    }

    m_nDateOrder = 0;
    char dateOrder[256] = {};
    if (GetLocaleInfoA(GetSystemDefaultLCID(), LOCALE_IDATE, dateOrder, sizeof dateOrder) > 0) {
        dateOrder[sizeof dateOrder - 1] = '\0';
        LONG order = DecimalValue(dateOrder);
        if (order >= 0 && order <= 2)
            m_nDateOrder = static_cast<int>(order);
    }

    FillFileList(*this);
    if (m_fileList.IsEmpty()) {
        ShowScriptMessage(IDS_ERR_NO_FILES, nullptr);
        m_bLoaded = FALSE;
        return;
    }

    m_strDisk =
        TextOrString(ReadSetupText("Disk", "", kSetupTextSize, m_strScriptPath), IDS_DISK_NAME);
    m_strCaption =
        TextOrString(ReadSetupText("Caption", "", kSetupTextSize, m_strScriptPath), IDS_APP_TITLE);
    m_strBeginning = TextOrString(ReadSetupText("Beginning", "", kSetupTextSize, m_strScriptPath),
                                  IDS_BEGINNING);

    // Three different rules: only 1 switches PromptSrcPath and ProgressBar on, while any
    // non-zero value switches PromptDstPath on.
    m_bPromptSrcPath = ReadSetupInt("PromptSrcPath", 0, m_strScriptPath) == 1;
    m_bPromptDstPath = ReadSetupInt("PromptDstPath", 1, m_strScriptPath) != 0;
    m_bProgressBar = ReadSetupInt("ProgressBar", 1, m_strScriptPath) == 1;

    CString defaultDstPath = ReadSetupText("DefaultDstPath", "", kSetupTextSize, m_strScriptPath);
    if (!defaultDstPath.IsEmpty())
        m_strDefaultDstPath = FindFirstDriveOfType(DRIVE_FIXED) + defaultDstPath;

    FillRegistryList(*this);

    m_nRebootOrRestart = ReadSetupInt("RebootOrRestart", 0, m_strScriptPath);
    if (m_nRebootOrRestart < 0 || m_nRebootOrRestart > 2)
        m_nRebootOrRestart = 0;
}

CSetupScript::~CSetupScript() {
    while (!m_fileList.IsEmpty())
        delete m_fileList.RemoveHead();
    while (!m_registryList.IsEmpty())
        delete m_registryList.RemoveHead();
}

CFileEntry* CSetupScript::GetFirstFile() {
    if (m_fileList.IsEmpty())
        return nullptr;
    return static_cast<CFileEntry*>(m_fileList.GetHead());
}

BOOL CSetupScript::RemoveFirstFile() {
    if (m_fileList.IsEmpty())
        return FALSE;
    delete m_fileList.RemoveHead();
    return TRUE;
}

BOOL FileExists(LPCSTR fileName) {
    OFSTRUCT info = {};
    return OpenFile(fileName, &info, OF_EXIST) != HFILE_ERROR;
}

CString FindFirstDriveOfType(UINT driveType) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        CString root;
        root.Format("%c:\\", letter);
        if (GetDriveTypeA(root) == driveType)
            return root;
    }
    return CString();
}
