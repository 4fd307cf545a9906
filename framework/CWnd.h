// A window object attached to a window handle. Messages sent to an attached window run
// through the object's message map (WindowProc), then through its default handling.
#pragma once

#include "CCmdTarget.h"
#include "CString.h"

#include <windows.h>

class CWnd : public CCmdTarget {
  public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to a handle. For a handle no object is attached to, a temporary
    // object is returned that lives until the next idle pass of the application.
    static CWnd* FromHandle(HWND hWnd);
    // The attached object, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Replaces the window procedure of a dialog's control, so that this object receives its
    // messages (the control's own procedure still does what the object leaves to it).
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    BOOL SubclassWindow(HWND hWnd);

    virtual BOOL DestroyWindow();
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // What a message no map entry takes gets: the original window procedure of a subclassed
    // control, the dialog procedure's default for dialogs, else DefWindowProcA.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    // Called after the window is destroyed and detached.
    virtual void PostNcDestroy();

    CWnd* GetDlgItem(int id) const;
    CWnd* GetParent() const;
    static CWnd* GetFocus();
    CWnd* SetFocus();
    void SetWindowText(LPCSTR text);
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    void UpdateWindow();
    void Invalidate(BOOL erase = TRUE);
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void ScreenToClient(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void CenterWindow(CWnd* alternateOwner = nullptr);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    HICON SetIcon(HICON icon, BOOL bigIcon);
    HMENU GetSystemMenu(BOOL revert) const;
    HDC GetDC();
    int ReleaseDC(HDC dc);
    HFONT GetFont() const;
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

    // Called by the application's message loop before a message is dispatched, for the
    // window the message is for and each of its parents; TRUE when the message was taken
    // (a dialog's keyboard handling).
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Deletes the temporary objects FromHandle made; the application's idle processing calls
    // it, when no caller can still hold one.
    static void DeleteTempMap();

    // Default handling of the messages the map macros name, for handlers that pass a message
    // on to their base class.
    int OnCreate(LPCREATESTRUCTA cs);
    void OnPaint();
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnSetFocus(CWnd* pOldWnd);
    HCURSOR OnQueryDragIcon();

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    WNDPROC m_pfnSuper = nullptr; // the procedure a subclassed control had before

  private:
    friend LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    friend INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window is being destroyed: forget the main window, detach, PostNcDestroy.
    void OnWindowGone();
};
