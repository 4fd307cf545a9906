// The setup script object: INSTKIT.INF beside the program, read and checked once when the
// object is built. The rest of the installer reads its fields; only the installation driver
// changes it, consuming the file list from its head.
#pragma once

#include "framework/CObList.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

class CFileEntry;

class CSetupScript : public CObject {
  public:
    // Sizes of the loader's buffers.
    static const int kLineValueSize = 256;   // values of [Files], [Registry] and their sections
    static const int kTargetOSSize = 255;
    static const int kSetupTextSize = 32000; // the other texts of [Setup]
    static const int kModulePathSize = 511;

    // Reads the whole script and shows its first problem in a message box (at most two boxes:
    // a wrong InfRevision does not stop the load). m_bLoaded tells the outcome.
    CSetupScript();
    ~CSetupScript() override;
    CSetupScript(const CSetupScript&) = delete;
    CSetupScript& operator=(const CSetupScript&) = delete;

    // The entry at the head of the file list, or null when the list is empty.
    CFileEntry* GetFirstFile();
    // Removes the head entry and destroys it; FALSE when the list was empty.
    BOOL RemoveFirstFile();

    BOOL m_bLoaded = FALSE;
    CString m_strModuleDir;
    CString m_strScriptPath;
    int m_nInfRevision = 0;
    DWORD m_dwTargetOS = 0;
    DWORD m_dwRunningOS = 0;
    DWORD m_dwTargetPC = 0;
    DWORD m_dwRunningPC = 0;
    int m_nDateOrder = 0;
    CString m_strDisk;
    CString m_strCaption;
    CString m_strBeginning;
    CObList m_fileList{10};
    BOOL m_bPromptSrcPath = FALSE;
    BOOL m_bPromptDstPath = FALSE;
    BOOL m_bProgressBar = FALSE;
    CString m_strDefaultDstPath;
    CObList m_registryList{10};
    int m_nRebootOrRestart = 0;
    BOOL m_bDriverDllOnWin95 = FALSE;
};

// The application's script object (defined with the application object).
CSetupScript* GetSetupScript();

// TRUE when the file exists; opens nothing for longer than the question and creates nothing.
BOOL FileExists(LPCSTR fileName);
// The root ("C:\") of the first drive from A to Z of the given type, or the empty string.
CString FindFirstDriveOfType(UINT driveType);
