#include "CDialog.h"

#include "AfxCore.h"
#include "AfxWindowProcs.h"
#include "CWinApp.h"

namespace {

// The dialog's window was made by the dialog manager before the object could be attached,
// so the object never saw WM_CREATE. It gets one now, before WM_INITDIALOG as it would have,
// built from what the window is.
LRESULT DeliverCreate(HWND hWnd, CDialog* dialog) {
    char title[256] = "";
    ::GetWindowTextA(hWnd, title, sizeof title);
    RECT rect;
    ::GetWindowRect(hWnd, &rect);
    HWND parent = ::GetParent(hWnd);
    if (parent != nullptr && (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
        POINT topLeft = {rect.left, rect.top};
        ::ScreenToClient(parent, &topLeft);
        rect = {topLeft.x, topLeft.y, topLeft.x + rect.right - rect.left,
                topLeft.y + rect.bottom - rect.top};
    }
    CREATESTRUCTA cs = {};
    cs.lpCreateParams = dialog;
    cs.hInstance = AfxGetResourceHandle();
    cs.hwndParent = parent;
    cs.cy = rect.bottom - rect.top;
    cs.cx = rect.right - rect.left;
    cs.y = rect.top;
    cs.x = rect.left;
    cs.style = GetWindowLongA(hWnd, GWL_STYLE);
    cs.lpszName = title;
    cs.lpszClass = MAKEINTRESOURCEA(0x8002); // the dialog class
    cs.dwExStyle = static_cast<DWORD>(GetWindowLongA(hWnd, GWL_EXSTYLE));
    return AfxWndProc(hWnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs));
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // Everything but the first message reaches the object through AfxWndProc; this procedure
    // leaves it all to the dialog manager's default handling.
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    if (dialog == nullptr || CWnd::FromHandlePermanent(hWnd) != nullptr)
        return TRUE;
    if (!dialog->SubclassWindow(hWnd))
        return TRUE;
    if (dialog->FindMessageEntry(WM_CREATE, 0, 0) != nullptr && DeliverCreate(hWnd, dialog) == -1) {
        dialog->m_bCreateRefused = TRUE;
        if (dialog->m_bModal)
            ::EndDialog(hWnd, -1);
        return FALSE;
    }
    RECT before;
    ::GetWindowRect(hWnd, &before);
    BOOL result = dialog->OnInitDialog();
    // A top-level dialog that its initialisation neither showed nor moved opens centred on
    // its owner, or on the screen when it has none.
    if (::IsWindow(hWnd) && CWnd::FromHandlePermanent(hWnd) == dialog) {
        RECT after;
        ::GetWindowRect(hWnd, &after);
        LONG style = GetWindowLongA(hWnd, GWL_STYLE);
        if ((style & WS_CHILD) == 0 && !::IsWindowVisible(hWnd) && SameRect(before, after))
            dialog->CenterWindow();
    }
    return result;
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT idTemplate, CWnd* parent) : m_nIDTemplate(idTemplate), m_pParentWnd(parent) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr)
        DestroyWindow();
}

const AFX_MSGMAP* CDialog::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {&CWnd::GetThisMessageMap, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CDialog::GetMessageMap() const {
    return GetThisMessageMap();
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent) {
    if (m_hWnd != nullptr)
        return FALSE;
    m_nIDTemplate = idTemplate;
    m_pParentWnd = parent;
    m_bModal = FALSE;
    m_bCreateRefused = FALSE;
    HWND hWnd = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(idTemplate),
                                   parent ? parent->m_hWnd : nullptr, &AfxDlgProc,
                                   reinterpret_cast<LPARAM>(this));
    if (hWnd == nullptr) {
        m_hWnd = nullptr;
        return FALSE;
    }
    if (m_hWnd == nullptr && !SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return FALSE;
    }
    if (m_bCreateRefused) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd != nullptr)
        return -1;
    HWND owner = m_pParentWnd ? AfxTopLevelOwner(m_pParentWnd->m_hWnd) : AfxMainWindowHandle();
    m_bModal = TRUE;
    m_bCreateRefused = FALSE;
    INT_PTR result = DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                     &AfxDlgProc, reinterpret_cast<LPARAM>(this));
    m_bModal = FALSE;
    // The window is gone; WM_NCDESTROY normally detached the object already.
    if (m_hWnd != nullptr && !::IsWindow(m_hWnd))
        Detach();
    return result;
}

void CDialog::EndDialog(int result) {
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    if (code != BN_CLICKED)
        return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        break;
    }
    // Commands no window takes go on to the application (its Help command, for one).
    CWinApp* app = AfxGetApp();
    return app != nullptr && app->OnCommand(wParam, lParam);
}

BOOL CDialog::IsDialogMessage(LPMSG msg) {
    return m_hWnd != nullptr && ::IsDialogMessageA(m_hWnd, msg);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (m_hWnd == nullptr || m_bModal)
        return FALSE;
    if (msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST)
        return FALSE;
    return ::IsDialogMessageA(m_hWnd, msg);
}

void CDialog::NextDlgCtrl() const {
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0);
}

void CDialog::PrevDlgCtrl() const {
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 1, 0);
}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control != nullptr)
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), 1);
}
