// The main window: a fixed-size modeless dialog that hosts the five pages, owns the three
// directories of the installation and decides what OK and Cancel mean on each page.
#pragma once

#include "app/SetupPage.h"
#include "engine/CopyContext.h"
#include "framework/CDialog.h"
#include "framework/CObList.h"

class CFileEntry;

class CSetupDialog : public CDialog, public CCopyContext {
public:
    explicit CSetupDialog(CWnd* parent);
    ~CSetupDialog() override;

    BOOL DestroyWindow() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    int MessageBoxId(UINT idText, LPCSTR caption, UINT type) override;
    virtual int MessageBoxText(LPCSTR text, LPCSTR caption, UINT type);

    BOOL ShowPage(int index);
    void OnNext();
    void OnCancelRequest();

    int CopyFileEntry(CFileEntry* entry);
    BOOL ExpandFile(LPCSTR source, LPCSTR destination);
    void WriteRegistryEntries();
    void RestartSystem(int type);
    BOOL CreateTemporaryDirectory(LPCSTR base, CString& path);

    HICON m_hIcon = nullptr;
    CString m_strSrcDir;
    CString m_strDstDir;
    CString m_strTempDir;
    CSetupPage* m_pCurPage = nullptr;
    CObList m_pages{10};

protected:
    int OnCreate(LPCREATESTRUCTA cs);
    void OnPaint();
    void OnSysCommand(UINT id, LPARAM lParam);
    HCURSOR OnQueryDragIcon();
    DECLARE_MESSAGE_MAP()

private:
    // The copy engine's view of the window.
    CString GetSourceDir() const override { return m_strSrcDir; }
    CString GetDestinationDir() const override { return m_strDstDir; }
    CString GetTempDir() const override { return m_strTempDir; }
    void ShowCopyingFile(LPCSTR srcPath) override;
    void ShowSourcePath(LPCSTR path) override;
    void ShowDestinationPath(LPCSTR path) override;
    int AskOverwrite(LPCSTR existingPath, LPCSTR newPath) override;
    void StepProgress() override;
    void StopInstalling() override;
    void AskForDisk(int disk, LPCSTR proposedDir) override;
    void ShowAbortPage() override;

    CSetupPage* PageAt(int index) const;
    void AddSystemMenuEntry();
};
