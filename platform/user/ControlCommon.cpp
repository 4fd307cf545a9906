// Helpers the standard controls share.
#include "Control.h"

#include <algorithm>

namespace win {

HBRUSH ControlColors(HWND control, HDC hdc, UINT ctlColorMessage) {
    Window* w = Find(control);
    HBRUSH brush = nullptr;
    if (w != nullptr && w->parent != nullptr && w->parent != Sys().desktop)
        brush = reinterpret_cast<HBRUSH>(Send(w->parent->handle, ctlColorMessage,
                                              reinterpret_cast<WPARAM>(hdc),
                                              reinterpret_cast<LPARAM>(control)));
    if (brush == nullptr)
        brush = reinterpret_cast<HBRUSH>(DefWindowProcA(control, ctlColorMessage,
                                                        reinterpret_cast<WPARAM>(hdc),
                                                        reinterpret_cast<LPARAM>(control)));
    return brush;
}

int ColumnsOf(HWND control) {
    RECT r;
    if (!GetClientRect(control, &r) || r.right <= 0)
        return 0;
    return std::max(1, static_cast<int>(r.right / kCellWidth));
}

int RowsOf(HWND control) {
    RECT r;
    if (!GetClientRect(control, &r) || r.bottom <= 0)
        return 0;
    return std::max(1, static_cast<int>(r.bottom / kCellHeight));
}

void SelectControlFont(HWND, HFONT font, HDC hdc) {
    if (font != nullptr)
        SelectObject(hdc, font);
}

void UseHighlight(HDC hdc) {
    SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    SetBkColor(hdc, GetSysColor(COLOR_HIGHLIGHT));
}

DWORD StyleOf(HWND control) {
    Window* w = Find(control);
    return w ? w->style : 0;
}

LRESULT AnswerFontMessage(HWND control, HFONT* kept, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETFONT)
        return reinterpret_cast<LRESULT>(kept ? *kept : nullptr);
    if (kept != nullptr)
        *kept = reinterpret_cast<HFONT>(wParam);
    if (lParam)
        InvalidateRect(control, nullptr, TRUE);
    return 0;
}

} // namespace win
