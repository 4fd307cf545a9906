#include "CCmdTarget.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, &entries[0]};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message, UINT code, UINT id) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->nMessage != 0; ++entry) {
            if (entry->nMessage != message)
                continue;
            if (message == WM_COMMAND &&
                (entry->nCode != code || id < entry->nID || id > entry->nLastID))
                continue;
            return entry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Menus and accelerators send no control handle; both are plain commands, whatever the
    // high word says (an accelerator sends 1 there).
    UINT code = lParam == 0 ? 0 : HIWORD(wParam);
    UINT id = LOWORD(wParam);
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(WM_COMMAND, code, id);
    if (entry == nullptr)
        return FALSE;
    entry->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CCmdTarget::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT value = 0;
    BOOL handled = FALSE;
    if (message == WM_COMMAND) {
        handled = OnCommand(wParam, lParam);
    } else if (message != 0) {
        const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0);
        if (entry != nullptr) {
            value = entry->pfn(this, wParam, lParam);
            handled = TRUE;
        }
    }
    if (handled && result != nullptr)
        *result = value;
    return handled;
}
