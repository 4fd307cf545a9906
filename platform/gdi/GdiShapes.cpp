// Rectangles, frames, edges, lines and icons on the screen of cells. Lines become the
// box-drawing characters of the cells they pass through.
#include "GdiDevice.h"

#include <algorithm>

namespace gdi {
namespace {

constexpr char32_t kHorizontal = U'\u2500';
constexpr char32_t kVertical = U'\u2502';
constexpr char32_t kTopLeft = U'\u250C';
constexpr char32_t kTopRight = U'\u2510';
constexpr char32_t kBottomLeft = U'\u2514';
constexpr char32_t kBottomRight = U'\u2518';
constexpr char32_t kUpperHalf = U'\u2580';
constexpr char32_t kLowerHalf = U'\u2584';

void PutGlyphIfVisible(const DeviceContext& dc, int column, int row, char32_t glyph,
                       COLORREF foreground, COLORREF background) {
    if (CellVisible(dc, column, row))
        CScreen::Get().PutGlyph(column, row, glyph, foreground, background);
}

// The symbol a system icon shows, and its colours.
struct SystemIconLook {
    WORD id;
    char symbol;
    COLORREF foreground;
    COLORREF background;
};
const SystemIconLook kSystemIcons[] = {
    {32513, 'x', RGB(255, 255, 255), RGB(255, 0, 0)},
    {32514, '?', RGB(255, 255, 255), RGB(0, 0, 255)},
    {32515, '!', RGB(0, 0, 0), RGB(255, 255, 0)},
    {32516, 'i', RGB(255, 255, 255), RGB(0, 0, 255)},
};

// The average colour of the opaque pixels of a block of an icon, if at least half of them are.
bool BlockColor(const IconImage& image, int left, int top, int right, int bottom, COLORREF& color) {
    long red = 0, green = 0, blue = 0, opaque = 0, total = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            ++total;
            COLORREF pixel = image.pixels[static_cast<size_t>(y) * image.width + x];
            if (pixel == kTransparentPixel)
                continue;
            ++opaque;
            red += GetRValue(pixel);
            green += GetGValue(pixel);
            blue += GetBValue(pixel);
        }
    if (total == 0 || opaque * 2 < total)
        return false;
    color = RGB(red / opaque, green / opaque, blue / opaque);
    return true;
}

} // namespace

// A block one row high gets only its vertical sides and one column wide only its horizontal
// ones, so that a frame never wipes out the one row or column it surrounds.
void PaintBox(const DeviceContext& dc, const CellRect& cells, UINT sides, COLORREF foreground,
              COLORREF background) {
    if (cells.Empty())
        return;
    CScreen& screen = CScreen::Get();
    int left = std::max(cells.left, -1), right = std::min(cells.right, screen.Columns() + 1);
    int top = std::max(cells.top, -1), bottom = std::min(cells.bottom, screen.Rows() + 1);
    int lastColumn = cells.right - 1, lastRow = cells.bottom - 1;
    bool oneRow = cells.top == lastRow, oneColumn = cells.left == lastColumn;
    bool drawTop = (sides & BF_TOP) && !oneRow, drawBottom = (sides & BF_BOTTOM) && !oneRow;
    bool drawLeft = (sides & BF_LEFT) && !oneColumn, drawRight = (sides & BF_RIGHT) && !oneColumn;
    if (oneRow && oneColumn)
        return;
    for (int column = left; column < right; ++column) {
        bool atLeft = column == cells.left, atRight = column == lastColumn;
        if (drawTop) {
            char32_t glyph = atLeft && drawLeft     ? kTopLeft
                             : atRight && drawRight ? kTopRight
                                                    : kHorizontal;
            PutGlyphIfVisible(dc, column, cells.top, glyph, foreground, background);
        }
        if (drawBottom) {
            char32_t glyph = atLeft && drawLeft     ? kBottomLeft
                             : atRight && drawRight ? kBottomRight
                                                    : kHorizontal;
            PutGlyphIfVisible(dc, column, lastRow, glyph, foreground, background);
        }
    }
    for (int row = top; row < bottom; ++row) {
        if ((drawTop && row == cells.top) || (drawBottom && row == lastRow))
            continue;
        if (drawLeft)
            PutGlyphIfVisible(dc, cells.left, row, kVertical, foreground, background);
        if (drawRight)
            PutGlyphIfVisible(dc, lastColumn, row, kVertical, foreground, background);
    }
}

} // namespace gdi

using namespace gdi;

int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = FindDC(hdc);
    COLORREF color;
    if (!dc || !rect)
        return 0;
    if (!BrushColor(brush, color))
        return 1; // a hollow brush paints nothing
    PaintFill(*dc, dc->ToScreen(*rect), color);
    return 1;
}

int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    DeviceContext* dc = FindDC(hdc);
    COLORREF color;
    if (!dc || !rect)
        return 0;
    if (!BrushColor(brush, color))
        return 1;
    PaintBox(*dc, CellsOf(dc->ToScreen(*rect)), BF_RECT, color, kKeepColor);
    return 1;
}

BOOL WINAPI DrawFocusRect(HDC hdc, const RECT* rect) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || !rect)
        return FALSE;
    // Like the dotted frame it stands for, the inversion undoes itself when drawn twice.
    CellRect cells = CellsOf(dc->ToScreen(*rect));
    CScreen& screen = CScreen::Get();
    for (int row = std::max(cells.top, 0); row < std::min(cells.bottom, screen.Rows()); ++row)
        for (int column = std::max(cells.left, 0); column < std::min(cells.right, screen.Columns());
             ++column)
            if (CellVisible(*dc, column, row))
                screen.InvertCell(column, row);
    return TRUE;
}

BOOL WINAPI DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || !rect)
        return FALSE;
    RECT screenRect = dc->ToScreen(*rect);
    CellRect cells = CellsOf(screenRect);
    COLORREF line = (edge & (BDR_RAISEDOUTER | BDR_RAISEDINNER)) && !(edge & BDR_SUNKENOUTER)
                        ? SystemColor(COLOR_3DDKSHADOW)
                        : SystemColor(COLOR_BTNSHADOW);
    if (flags & BF_MIDDLE)
        PaintFill(*dc, screenRect, SystemColor(COLOR_BTNFACE));
    if (edge & (BDR_OUTER | BDR_INNER))
        PaintBox(*dc, cells, flags & BF_RECT, line, kKeepColor);
    if (flags & BF_ADJUST) {
        // The inside is what the border cells leave: the cells strictly within them.
        RECT inside = screenRect;
        bool oneRow = cells.bottom - cells.top <= 1, oneColumn = cells.right - cells.left <= 1;
        if ((flags & BF_LEFT) && !oneColumn)
            inside.left = cells.left * kCellWidth + 1;
        if ((flags & BF_RIGHT) && !oneColumn)
            inside.right = (cells.right - 1) * kCellWidth;
        if ((flags & BF_TOP) && !oneRow)
            inside.top = cells.top * kCellHeight + 1;
        if ((flags & BF_BOTTOM) && !oneRow)
            inside.bottom = (cells.bottom - 1) * kCellHeight;
        *rect = dc->ToLogical(inside);
    }
    return TRUE;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return FALSE;
    RECT screenRect = dc->ToScreen(RECT{left, top, right, bottom});
    COLORREF color;
    if (BrushColor(reinterpret_cast<HBRUSH>(dc->state.brush), color))
        PaintFill(*dc, screenRect, color);
    Pen* pen = FindPen(dc->state.pen);
    if (pen && pen->style != PS_NULL)
        PaintBox(*dc, CellsOf(screenRect), BF_RECT, pen->color, kKeepColor);
    return TRUE;
}

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return FALSE;
    RECT rect{x, y, x + width, y + height};
    if (rect.left > rect.right)
        std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom)
        std::swap(rect.top, rect.bottom);
    COLORREF color;
    if (rop == BLACKNESS)
        color = RGB(0, 0, 0);
    else if (rop == WHITENESS)
        color = RGB(255, 255, 255);
    else if (!BrushColor(reinterpret_cast<HBRUSH>(dc->state.brush), color))
        return TRUE;
    PaintFill(*dc, dc->ToScreen(rect), color);
    return TRUE;
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->state.current;
    dc->state.current = POINT{x, y};
    return TRUE;
}

BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return FALSE;
    POINT from = dc->state.current;
    dc->state.current = POINT{x, y};
    Pen* pen = FindPen(dc->state.pen);
    if (!pen || pen->style == PS_NULL)
        return TRUE;
    CScreen& screen = CScreen::Get();
    // Only straight lines have a character; a slanting line is left out.
    if (from.y == y) {
        int row = FloorDiv(dc->ScreenY(y), kCellHeight);
        int a = ColumnAt(dc->ScreenX(std::min(from.x, x)));
        int b = ColumnAt(dc->ScreenX(std::max(from.x, x)));
        for (int column = std::max(a, 0); column < std::min(b, screen.Columns()); ++column)
            PutGlyphIfVisible(*dc, column, row, kHorizontal, pen->color, kKeepColor);
    } else if (from.x == x) {
        int column = FloorDiv(dc->ScreenX(x), kCellWidth);
        int a = RowAt(dc->ScreenY(std::min(from.y, y)));
        int b = RowAt(dc->ScreenY(std::max(from.y, y)));
        for (int row = std::max(a, 0); row < std::min(b, screen.Rows()); ++row)
            PutGlyphIfVisible(*dc, column, row, kVertical, pen->color, kKeepColor);
    }
    return TRUE;
}

BOOL gdi::DrawIconImage(HDC hdc, int x, int y, const IconImage& image) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || image.width <= 0 || image.height <= 0 ||
        image.pixels.size() < static_cast<size_t>(image.width) * image.height)
        return FALSE;
    int column0 = ColumnAt(dc->ScreenX(x)), row0 = RowAt(dc->ScreenY(y));
    CScreen& screen = CScreen::Get();
    for (const SystemIconLook& look : kSystemIcons) {
        if (look.id != image.systemIcon)
            continue;
        // A system icon is its symbol on its colour: two rows of four cells.
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < 4; ++column) {
                if (!CellVisible(*dc, column0 + column, row0 + row))
                    continue;
                unsigned char symbol = row == 0 && column == 1 ? look.symbol : ' ';
                screen.PutCharacter(column0 + column, row0 + row, &symbol, 1, look.foreground,
                                    look.background, false);
            }
        return TRUE;
    }
    // Any other icon is shown in halves of cells: four blocks across, four down.
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 4; ++column) {
            if (!CellVisible(*dc, column0 + column, row0 + row))
                continue;
            int left = column * image.width / 4, right = (column + 1) * image.width / 4;
            int top = row * 2 * image.height / 4, middle = (row * 2 + 1) * image.height / 4;
            int bottom = (row * 2 + 2) * image.height / 4;
            COLORREF upper, lower;
            bool hasUpper = BlockColor(image, left, top, right, middle, upper);
            bool hasLower = BlockColor(image, left, middle, right, bottom, lower);
            if (hasUpper)
                screen.PutGlyph(column0 + column, row0 + row, kUpperHalf, upper,
                                hasLower ? lower : kKeepColor);
            else if (hasLower)
                screen.PutGlyph(column0 + column, row0 + row, kLowerHalf, lower, kKeepColor);
        }
    return TRUE;
}
