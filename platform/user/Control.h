// What the standard controls share: their colours (asked of the parent with WM_CTLCOLOR...,
// as on Windows) and the cells they draw on. Internal to the native platform layer.
#pragma once

#include "user/WindowSystem.h"

namespace win {

// The brush a control paints its background with; the parent may choose it (and the text
// colours in the device context) in answer to the WM_CTLCOLOR... message.
HBRUSH ControlColors(HWND control, HDC hdc, UINT ctlColorMessage);
// Whole cells of a control's client area: columns and rows (at least one each when the
// control has any size at all).
int ColumnsOf(HWND control);
int RowsOf(HWND control);
// The font the control was given with WM_SETFONT, selected into a device context.
void SelectControlFont(HWND control, HFONT font, HDC hdc);
// Colours for selected or focused parts.
void UseHighlight(HDC hdc);
// The style bits of a control; none once it is gone.
DWORD StyleOf(HWND control);
// WM_SETFONT and WM_GETFONT, answered alike by every control: the font is kept for the next
// paint, which comes at once when lParam asks for it. A control without state keeps none.
LRESULT AnswerFontMessage(HWND control, HFONT* kept, UINT message, WPARAM wParam, LPARAM lParam);

// Lets a static's text take the free cells beside it (up to the margin it keeps on its
// left, a cell short of the next control) and then below it, where its box is too small
// for it: cells are coarser than the proportional fonts the templates were laid out for.
void FitStaticToText(HWND control);
// After a dialog's controls were made: a label that reaches the field beside it pushes that
// field (and the controls lined up with it) a few cells right; then every static is fitted.
void MakeRoomForLabels(HWND dialog);

// A control's own state, made on the first message it gets: messages may reach it before
// WM_NCCREATE, and none of them should find it without one.
template <class T> T* ControlState(HWND control) {
    Window* w = Find(control);
    if (w == nullptr)
        return nullptr;
    if (w->state == nullptr)
        w->state = std::make_unique<T>();
    return dynamic_cast<T*>(w->state.get());
}

} // namespace win
