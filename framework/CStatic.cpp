#include "CStatic.h"

const AFX_MSGMAP* CStatic::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {&CWnd::GetThisMessageMap, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CStatic::GetMessageMap() const {
    return GetThisMessageMap();
}

HICON CStatic::SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
}

HICON CStatic::GetIcon() const {
    return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, STM_GETICON, 0, 0));
}
