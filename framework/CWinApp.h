// The application: one object per program. Its message loop calls OnIdle whenever the queue
// is empty; modal loops never call it.
#pragma once

#include "CCmdTarget.h"
#include "CString.h"

class CWnd;

#define ID_HELP 0xE146

class CWinApp : public CCmdTarget {
  public:
    // Registers the object as the application (AfxGetApp). With no name, the name becomes
    // string 57344 of the program's resources, or the program's file name without that string.
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // The message loop: runs until WM_QUIT, calling OnIdle with a growing count while the
    // queue is empty; returns ExitInstance's result.
    virtual int Run();
    // The framework's idle processing (frees temporary window objects). Returns TRUE while it
    // wants more idle time.
    virtual BOOL OnIdle(LONG count);
    virtual int ExitInstance();

    BOOL Enable3dControlsStatic();
    void SetDialogBkColor(COLORREF background = RGB(192, 192, 192), COLORREF text = RGB(0, 0, 0));
    HICON LoadIcon(UINT id) const;
    void OnHelp();

    // The application title; owned by the object (released with it).
    LPCSTR m_pszAppName = nullptr;
    // Replaces the title, taking a copy.
    void SetAppName(LPCSTR name);
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = 0;
    // The main window: destroying it ends the message loop.
    CWnd* m_pMainWnd = nullptr;

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

  private:
    CString m_strAppName;
    int m_nQuitCode = 0; // the WM_QUIT that ended the loop: ExitInstance's result
    COLORREF m_crDialogBk = RGB(192, 192, 192);
    COLORREF m_crDialogText = RGB(0, 0, 0);
    friend int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
};

// The framework's entry: initialises the application object and runs it. Returns the
// process's exit code.
int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
// A message box owned by the main window, captioned with the application title.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT idText, UINT type = MB_OK, UINT helpId = -1);
