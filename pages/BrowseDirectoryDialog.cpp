#include "pages/BrowseDirectoryDialog.h"

#include "engine/PathHelpers.h"
#include "framework/AfxCore.h"
#include "resources/resource.h"

CBrowseDirectoryDialog::CBrowseDirectoryDialog(LPCSTR startDir, CWnd* parent)
    : CFileDialog(TRUE, nullptr, "dummy", OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLETEMPLATE,
                  nullptr, parent) {
    m_ofn.Flags &= ~static_cast<DWORD>(OFN_EXPLORER);
    m_strTitle.LoadString(IDS_BROWSE_TITLE);
    m_ofn.lpstrTitle = m_strTitle;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpTemplateName = MAKEINTRESOURCEA(IDD_BROWSE_DIRECTORY);
    if (startDir)
        m_strInitialDir = CopyWithTrailingBackslash(startDir, FALSE);
}

INT_PTR CBrowseDirectoryDialog::DoModal() {
    char saved[512] = {};
    GetCurrentDirectoryA(sizeof saved, saved);
    BOOL changed = SetCurrentDirectoryA(m_strInitialDir);
    INT_PTR result = CFileDialog::DoModal();
    if (changed)
        SetCurrentDirectoryA(saved);
    return result;
}
