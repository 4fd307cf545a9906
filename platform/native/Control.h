// What the standard controls share: their colours (asked of the parent with WM_CTLCOLOR...,
// as on Windows) and the cells they draw on. Internal to the native platform layer.
#pragma once

#include "WindowSystem.h"

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

} // namespace win
