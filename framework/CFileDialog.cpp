#include "CFileDialog.h"

#include "AfxCore.h"
#include "AfxWindowProcs.h"

#include <cstring>

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension, LPCSTR fileName, DWORD flags,
                         LPCSTR filter, CWnd* parent)
    : CDialog(0, parent), m_bOpenFileDialog(openFileDialog) {
    std::memset(&m_ofn, 0, sizeof m_ofn);
    std::memset(m_szFileName, 0, sizeof m_szFileName);
    std::memset(m_szFileTitle, 0, sizeof m_szFileTitle);
    if (fileName != nullptr) {
        std::strncpy(m_szFileName, fileName, sizeof m_szFileName - 1);
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hwndOwner = nullptr; // chosen when the dialog runs
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    m_ofn.lpstrDefExt = defaultExtension;
    // Newer systems get the explorer-style dialog unless the caller removes the flag.
    m_ofn.Flags = flags | OFN_EXPLORER;
    if (filter != nullptr && *filter != '\0') {
        // "Text|*.txt|All|*.*||": the dialog wants the parts separated by zero bytes and the
        // list ended by two of them.
        size_t length = std::strlen(filter);
        LPSTR buffer = m_strFilter.GetBufferSetLength(static_cast<int>(length) + 1);
        std::memcpy(buffer, filter, length + 1);
        for (size_t i = 0; i < length; ++i) {
            if (buffer[i] == '|')
                buffer[i] = '\0';
        }
        m_ofn.lpstrFilter = buffer;
    }
}

INT_PTR CFileDialog::DoModal() {
    if (m_ofn.hwndOwner == nullptr)
        m_ofn.hwndOwner =
            m_pParentWnd ? AfxTopLevelOwner(m_pParentWnd->m_hWnd) : AfxMainWindowHandle();
    BOOL accepted = m_bOpenFileDialog ? GetOpenFileNameA(&m_ofn) : GetSaveFileNameA(&m_ofn);
    return accepted ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    return m_ofn.lpstrFile ? CString(m_ofn.lpstrFile) : CString();
}

CString CFileDialog::GetFileName() const {
    // Taken from the path itself, so that the name is always the path's tail (the title the
    // system reports may leave out the extension).
    CString path = GetPathName();
    int slash = path.ReverseFind('\\');
    return slash >= 0 ? path.Mid(slash + 1) : path;
}
