// Lets the user choose a directory with the system's old-style open-file dialog, whose file
// controls the custom template hides: only folders and drives can be chosen.
#pragma once

#include "framework/CFileDialog.h"

class CBrowseDirectoryDialog : public CFileDialog {
public:
    CBrowseDirectoryDialog(LPCSTR startDir, CWnd* parent);

    // Runs the dialog in the start directory and puts the process's current directory back
    // afterwards.
    INT_PTR DoModal() override;

    CString m_strTitle;
    CString m_strInitialDir;
};
