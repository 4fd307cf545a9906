#include "CWinApp.h"

#include "AfxCore.h"
#include "AfxWindowProcs.h"
#include "CWnd.h"

namespace {

CWinApp* g_app = nullptr;

// Offers a message to the windows it concerns, innermost first, up to its top-level window,
// so that a page nested in the main window gets its dialog keys before the main window.
BOOL PreTranslateForWindows(MSG* msg) {
    for (HWND hWnd = msg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
        if (wnd != nullptr && wnd->PreTranslateMessage(msg))
            return TRUE;
        if ((GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) == 0)
            break; // GetParent of a top-level window is its owner, a different window
    }
    return FALSE;
}

// The name part of a path without its extension: "D:\SETUP.EXE" gives "SETUP".
CString BaseNameOf(const CString& path) {
    CString name = path;
    int slash = name.ReverseFind('\\');
    if (slash >= 0)
        name = name.Mid(slash + 1);
    int dot = name.ReverseFind('.');
    if (dot > 0)
        name = name.Left(dot);
    return name;
}

} // namespace

CWinApp* AfxGetApp() {
    return g_app;
}

CWinApp::CWinApp(LPCSTR appName) {
    g_app = this;
    if (appName != nullptr)
        SetAppName(appName);
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

const AFX_MSGMAP* CWinApp::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CWinApp::GetMessageMap() const {
    return GetThisMessageMap();
}

void CWinApp::SetAppName(LPCSTR name) {
    m_strAppName = name ? name : "";
    m_pszAppName = m_strAppName;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    // Without a main window nothing could ever end the loop.
    if (m_pMainWnd == nullptr || m_pMainWnd->m_hWnd == nullptr || !IsWindow(m_pMainWnd->m_hWnd))
        PostQuitMessage(0);
    MSG msg = {};
    for (;;) {
        LONG count = 0;
        while (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(count++))
                break;
        }
        do {
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                m_nQuitCode = static_cast<int>(msg.wParam);
                return ExitInstance();
            }
            if (!PreTranslateForWindows(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        } while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinApp::OnIdle(LONG) {
    CWnd::DeleteTempMap();
    return FALSE;
}

int CWinApp::ExitInstance() {
    return m_nQuitCode;
}

BOOL CWinApp::Enable3dControlsStatic() {
    // The system draws the three-dimensional look of controls itself.
    return TRUE;
}

void CWinApp::SetDialogBkColor(COLORREF background, COLORREF text) {
    m_crDialogBk = background;
    m_crDialogText = text;
}

HICON CWinApp::LoadIcon(UINT id) const {
    return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

void CWinApp::OnHelp() {
    // The program has no help file: a beep says that help is not available.
    MessageBeep(MB_OK);
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr)
        return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine;
    app->m_nCmdShow = show;
    if (app->m_pszAppName == nullptr) {
        CString title;
        char buffer[256] = "";
        if (LoadStringA(instance, 57344, buffer, sizeof buffer) > 0) {
            title = buffer;
        } else {
            char path[MAX_PATH] = "";
            GetModuleFileNameA(instance, path, sizeof path);
            title = BaseNameOf(path);
        }
        app->SetAppName(title);
    }
    if (!app->InitInstance()) {
        if (app->m_pMainWnd != nullptr)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
    // The framework's boxes always carry an icon: a warning for plain notices, a question
    // mark for questions.
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            type |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            type |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    CWinApp* app = AfxGetApp();
    LPCSTR caption = app && app->m_pszAppName ? app->m_pszAppName : "";
    return MessageBoxA(AfxMainWindowHandle(), text ? text : "", caption, type);
}

int AfxMessageBox(UINT idText, UINT type, UINT helpId) {
    CString text;
    text.LoadString(idText);
    return AfxMessageBox(text, type, helpId);
}
