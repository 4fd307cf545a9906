// The installation driver: one file entry per idle pass while the installation flag is set.
#include "app/SetupApp.h"
#include "app/SetupDialog.h"
#include "script/SetupScript.h"

BOOL CSetupApp::OnIdle(LONG count) {
    if (!m_bInstalling)
        return CWinApp::OnIdle(count);

    CSetupDialog* window = dynamic_cast<CSetupDialog*>(m_pMainWnd);
    if (!window)
        return TRUE;
    CSetupScript* script = GetSetupScript();
    if (!script)
        return TRUE;
    CFileEntry* entry = script->GetFirstFile();
    if (!entry)
        return TRUE;

    if (window->CopyFileEntry(entry) == 0)
        return TRUE;
    script->RemoveFirstFile();
    if (script->m_fileList.GetCount() > 0)
        return TRUE;

    m_bInstalling = FALSE;
    window->WriteRegistryEntries();
    window->ShowPage(kFinishPage);
    return TRUE;
}
