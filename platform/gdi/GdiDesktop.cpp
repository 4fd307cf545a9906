// The desktop behind the windows and the frames of top-level windows.
#include "GdiDevice.h"

#include <algorithm>
#include <cstring>

namespace gdi {

void FillDesktop(const RECT& screenRect) {
    HDC hdc = CreateWindowDC(nullptr, false);
    if (DeviceContext* dc = FindDC(hdc))
        PaintFill(*dc, screenRect, SystemColor(COLOR_BACKGROUND));
    ReleaseWindowDC(hdc);
}

void DrawWindowFrame(HDC hdc, const RECT& windowRect, LPCSTR caption, bool captioned, bool active) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return;
    CellRect cells = CellsOf(dc->ToScreen(windowRect));
    if (cells.Empty())
        return;
    PaintBox(*dc, cells, BF_RECT, SystemColor(COLOR_WINDOWFRAME), SystemColor(COLOR_BTNFACE));
    if (!captioned)
        return;
    RECT captionRow{cells.left * kCellWidth, cells.top * kCellHeight, cells.right * kCellWidth,
                    (cells.top + 1) * kCellHeight};
    PaintFill(*dc, captionRow, SystemColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    if (!caption)
        return;
    // The caption keeps a blank cell on either side.
    RECT limit = captionRow;
    limit.left += kCellWidth;
    limit.right -= kCellWidth;
    DcState saved = dc->state;
    dc->state.textColor = SystemColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT);
    PaintText(*dc, limit.left, limit.top, caption, static_cast<int>(strnlen(caption, 4096)), &limit,
              false);
    dc->state = saved;
}

void DrawWindowShadow(HWND hwnd) {
    RECT window;
    if (!GetWindowRect(hwnd, &window))
        return;
    HDC hdc = CreateWindowDC(hwnd, false);
    DeviceContext* dc = FindDC(hdc);
    if (dc && IsWindowVisible(hwnd)) {
        // The shadow lies outside the window: the device context may draw anywhere on the
        // screen but under the windows above.
        SIZE size = ScreenSize();
        dc->state.clip = RECT{0, 0, size.cx, size.cy};
        CellRect cells = CellsOf(window);
        CScreen& screen = CScreen::Get();
        COLORREF foreground = SystemColor(COLOR_GRAYTEXT), background = RGB(0, 0, 0);
        for (int row = cells.top + 1; row <= cells.bottom; ++row)
            if (CellVisible(*dc, cells.right, row))
                screen.RecolorCell(cells.right, row, foreground, background);
        for (int column = cells.left + 1; column < cells.right; ++column)
            if (CellVisible(*dc, column, cells.bottom))
                screen.RecolorCell(column, cells.bottom, foreground, background);
    }
    ReleaseWindowDC(hdc);
}

RECT WithShadow(const RECT& windowRect) {
    return RECT{windowRect.left, windowRect.top, windowRect.right + kCellWidth,
                windowRect.bottom + kCellHeight};
}

} // namespace gdi
