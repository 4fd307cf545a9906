// Text output and measurement. The screen has one font: every byte of ANSI text is one cell,
// so a double-byte character of code page 932 is two cells wide.
#include "GdiDevice.h"
#include "kernel/MachineState.h"

#include <algorithm>

namespace gdi {
namespace {

constexpr int kAscent = 13;

int Clamped(int value, int low, int high) {
    return std::min(std::max(value, low), high);
}

bool InLimit(const RECT* limit, int column, int row) {
    if (!limit)
        return true;
    int x = column * kCellWidth, y = row * kCellHeight;
    return x >= limit->left && x < limit->right && y >= limit->top && y < limit->bottom;
}

} // namespace

bool IsLeadByteAt(const char* text, int index, int count) {
    return index + 1 < count && text[index + 1] != '\0' &&
           host::detail::IsAnsiLeadByte(static_cast<unsigned char>(text[index]));
}

void PaintText(DeviceContext& dc, int screenX, int screenY, const char* text, int count,
               const RECT* limit, bool opaque, const std::vector<bool>* underline) {
    CScreen& screen = CScreen::Get();
    int row = RowAt(screenY);
    if (!text || count <= 0 || row < 0 || row >= screen.Rows())
        return;
    COLORREF background = opaque ? dc.state.backgroundColor : kKeepColor;
    int column = ColumnAt(screenX);
    // Without windows above to leave out, a cell of the row is visible inside the clip.
    const RECT& clip = dc.state.clip;
    bool rowInClip = row * kCellHeight >= clip.top && row * kCellHeight < clip.bottom;
    auto Visible = [&](int at) {
        if (!dc.excluded.empty())
            return CellVisible(dc, at, row);
        int x = at * kCellWidth;
        return rowInClip && at < screen.Columns() && x >= clip.left && x < clip.right;
    };
    for (int i = 0; i < count && column < screen.Columns();) {
        bool underlined = underline && static_cast<size_t>(i) < underline->size() &&
                          (*underline)[static_cast<size_t>(i)];
        if (static_cast<unsigned char>(text[i]) >= 0x80 && IsLeadByteAt(text, i, count)) {
            // A character that straddles the edge of the region being painted (the edge of a
            // menu that closed) is drawn whole: the half outside was lost with the other half.
            bool lead = column >= 0 && Visible(column);
            bool trail = column + 1 >= 0 && Visible(column + 1);
            bool whole = (lead && trail) || ((lead || trail) && CellInArea(dc, column, row) &&
                                             CellInArea(dc, column + 1, row));
            if (whole && InLimit(limit, column, row) && InLimit(limit, column + 1, row)) {
                auto* bytes = reinterpret_cast<const unsigned char*>(text + i);
                screen.PutCharacter(column, row, bytes, 2, dc.state.textColor, background,
                                    underlined);
            }
            i += 2;
            column += 2;
            continue;
        }
        if (column >= 0 && Visible(column) && InLimit(limit, column, row)) {
            unsigned char byte = static_cast<unsigned char>(text[i]);
            // A lead byte without its trail byte is no character at all.
            if (host::detail::IsAnsiLeadByte(byte))
                byte = ' ';
            screen.PutSingle(column, row, byte, dc.state.textColor, background, underlined);
        }
        ++i;
        ++column;
    }
}

namespace {

// A rectangle drawn inside a frame (a bar within its sunken edge) lies a few pixels in from
// the frame's rectangle, so its edge runs through the cells that the frame's lines took. A
// fill leaves such a cell, which it covers only in part, to the line on it: frame and fill
// then share no cell, as their pixels share none.
bool LeftToFrameLine(const Cell& cell, const RECT& rect, int column, int row) {
    if (cell.kind != CellKind::Glyph || cell.glyph < U'\u2500' || cell.glyph > U'\u257F')
        return false;
    int x = column * kCellWidth, y = row * kCellHeight;
    bool whole = rect.left <= x && x + kCellWidth <= rect.right && rect.top <= y &&
                 y + kCellHeight <= rect.bottom;
    return !whole;
}

} // namespace

void PaintFill(DeviceContext& dc, const RECT& rect, COLORREF color) {
    CScreen& screen = CScreen::Get();
    CellRect cells = CellsOf(rect);
    // Cells outside the clip are never visible: the loop need not visit them.
    CellRect clip = CellsOf(dc.state.clip);
    int left = Clamped(std::max(cells.left, clip.left), 0, screen.Columns());
    int right = Clamped(std::min(cells.right, clip.right), 0, screen.Columns());
    int top = Clamped(std::max(cells.top, clip.top), 0, screen.Rows());
    int bottom = Clamped(std::min(cells.bottom, clip.bottom), 0, screen.Rows());
    // The cells visited lie on the screen; of CellVisible's tests the clip's and the excluded
    // rectangles' remain, made here without a call for each cell.
    const RECT& clipRect = dc.state.clip;
    for (int row = top; row < bottom; ++row) {
        int y = row * kCellHeight;
        if (y < clipRect.top || y >= clipRect.bottom)
            continue;
        screen.PutBlanks(row, left, right, color, [&](const Cell& cell, int column) {
            int x = column * kCellWidth;
            if (x < clipRect.left || x >= clipRect.right)
                return true;
            for (const RECT& other : dc.excluded)
                if (x >= other.left && x < other.right && y >= other.top && y < other.bottom)
                    return true;
            return LeftToFrameLine(cell, rect, column, row);
        });
    }
}

} // namespace gdi

using namespace gdi;

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size) {
    if (!FindDC(hdc) || !size || count < 0 || (count > 0 && !text))
        return FALSE;
    size->cx = count * kCellWidth;
    size->cy = kCellHeight;
    return TRUE;
}

BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR text, int count, LPSIZE size) {
    return GetTextExtentPoint32A(hdc, text, count, size);
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || !metrics)
        return FALSE;
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = kCellHeight;
    metrics->tmAscent = kAscent;
    metrics->tmDescent = kCellHeight - kAscent;
    metrics->tmAveCharWidth = kCellWidth;
    // A double-byte character is the widest there is.
    metrics->tmMaxCharWidth = 2 * kCellWidth;
    Font* font = FindFont(dc->state.font);
    metrics->tmWeight = font && font->logFont.lfWeight ? font->logFont.lfWeight : FW_NORMAL;
    metrics->tmDigitizedAspectX = 96;
    metrics->tmDigitizedAspectY = 96;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = 0xFF;
    metrics->tmDefaultChar = '?';
    metrics->tmBreakChar = ' ';
    metrics->tmPitchAndFamily = FIXED_PITCH | FF_MODERN;
    metrics->tmCharSet = host::detail::AnsiCodePage() == 932 ? SHIFTJIS_CHARSET : ANSI_CHARSET;
    return TRUE;
}

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text,
                        UINT count, const INT*) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || (count > 0 && !text) || count > 0x7FFFFFFF)
        return FALSE;
    int length = static_cast<int>(count);
    UINT align = dc->state.textAlign;
    if (align & TA_UPDATECP) {
        x = dc->state.current.x;
        y = dc->state.current.y;
    }
    int width = length * kCellWidth;
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if ((align & TA_CENTER) == TA_RIGHT)
        left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = y - kAscent;
    else if ((align & TA_BASELINE) == TA_BOTTOM)
        top = y - kCellHeight;
    if (align & TA_UPDATECP) {
        if ((align & TA_CENTER) == TA_LEFT)
            dc->state.current.x = x + width;
        else if ((align & TA_CENTER) == TA_RIGHT)
            dc->state.current.x = x - width;
    }

    RECT screenRect{0, 0, 0, 0};
    if (rect)
        screenRect = dc->ToScreen(*rect);
    if (rect && (options & ETO_OPAQUE))
        PaintFill(*dc, screenRect, dc->state.backgroundColor);
    const RECT* limit = rect && (options & ETO_CLIPPED) ? &screenRect : nullptr;
    PaintText(*dc, dc->ScreenX(left), dc->ScreenY(top), text, length, limit,
              dc->state.backgroundMode == OPAQUE);
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) {
    if (count < 0)
        return FALSE;
    return ExtTextOutA(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}
