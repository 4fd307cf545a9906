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

} // namespace gdi
