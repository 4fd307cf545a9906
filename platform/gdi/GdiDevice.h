// The GDI's own objects, shared by its parts: brushes, pens, fonts and device contexts, and
// the mapping of pixels onto the screen's cells.
#pragma once

#include "gdi/GdiInternal.h"
#include "gdi/Screen.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gdi {

struct Object {
    explicit Object(DWORD type) : type(type) {}
    virtual ~Object() = default;
    DWORD type;
    bool stock = false; // never deleted
};

struct Brush : Object {
    Brush() : Object(OBJ_BRUSH) {}
    UINT style = BS_SOLID;
    COLORREF color = RGB(255, 255, 255);
};

struct Pen : Object {
    Pen() : Object(OBJ_PEN) {}
    UINT style = PS_SOLID;
    COLORREF color = RGB(0, 0, 0);
};

struct Font : Object {
    Font() : Object(OBJ_FONT) {}
    LOGFONTA logFont{};
};

// What SaveDC keeps.
struct DcState {
    POINT viewport{0, 0};
    RECT clip{0, 0, 0, 0}; // screen pixels
    HGDIOBJ font = nullptr;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF backgroundColor = RGB(255, 255, 255);
    int backgroundMode = OPAQUE;
    UINT textAlign = TA_LEFT | TA_TOP;
    POINT current{0, 0};
};

struct DeviceContext : Object {
    DeviceContext() : Object(OBJ_DC) {}
    HWND hwnd = nullptr;
    POINT base{0, 0};           // screen pixel of the window's (or client area's) top-left corner
    std::vector<RECT> excluded; // screen rectangles of windows above, never drawn on
    // The screen rectangle the window shows, before any clipping to an update region: a
    // double-byte character half inside the clip is drawn whole when its other half lies here.
    RECT area{0, 0, 0, 0};
    DcState state;
    std::vector<DcState> saved;

    // The screen pixel of a logical point, held within a range that no arithmetic on it
    // can overflow.
    int ScreenX(int x) const { return Clamp(int64_t(base.x) + state.viewport.x + x); }
    int ScreenY(int y) const { return Clamp(int64_t(base.y) + state.viewport.y + y); }
    static int Clamp(int64_t value) {
        constexpr int64_t kLimit = int64_t(1) << 28;
        return static_cast<int>(value < -kLimit ? -kLimit : value > kLimit ? kLimit : value);
    }
    RECT ToScreen(const RECT& logical) const;
    RECT ToLogical(const RECT& screen) const;
};

// Looks up a live object of a type; null for anything else.
Object* FindObject(HGDIOBJ handle);
Brush* FindBrush(HGDIOBJ handle);
Pen* FindPen(HGDIOBJ handle);
Font* FindFont(HGDIOBJ handle);
DeviceContext* FindDC(HDC handle);
// Makes an object live and returns its handle.
HGDIOBJ RegisterObject(Object* object);
void UnregisterObject(Object* object);

// The colour a brush paints with; FALSE for the hollow brush. Also takes the brush values of
// the system colours (COLOR_x + 1).
bool BrushColor(HBRUSH brush, COLORREF& color);

// Integer division rounding towards minus and plus infinity.
inline int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
inline int CeilDiv(int a, int b) {
    return -FloorDiv(-a, b);
}

// The cells a screen rectangle covers: those whose top-left pixel lies inside it.
struct CellRect {
    int left, top, right, bottom; // columns left..right-1, rows top..bottom-1
    bool Empty() const { return left >= right || top >= bottom; }
};
CellRect CellsOf(const RECT& screen);
// The cell a point at the top-left of a character lands in.
inline int ColumnAt(int screenX) {
    return CeilDiv(screenX, kCellWidth);
}
inline int RowAt(int screenY) {
    return CeilDiv(screenY, kCellHeight);
}

// Whether a device context may draw on a cell: on the screen, inside its clip and outside
// the windows above.
bool CellVisible(const DeviceContext& dc, int column, int row);
// Whether a cell belongs to what the device context's window shows, whatever the clip.
bool CellInArea(const DeviceContext& dc, int column, int row);

bool IsLeadByteAt(const char* text, int index, int count);

// Draws a string of ANSI characters with the top-left of its first character at a screen
// pixel, in the device context's text colour (and background colour when opaque). Only cells
// inside limit (screen pixels) are drawn, if given; a double-byte character is drawn only
// when both its cells may be. underline, if given, has one flag per byte.
void PaintText(DeviceContext& dc, int screenX, int screenY, const char* text, int count,
               const RECT* limit, bool opaque, const std::vector<bool>* underline = nullptr);
// Paints the cells of a screen rectangle blank in a colour, within the device context.
void PaintFill(DeviceContext& dc, const RECT& screen, COLORREF color);

// Draws the chosen sides (BF_LEFT ...) of a box of line characters on the border cells of a
// block of cells.
void PaintBox(const DeviceContext& dc, const CellRect& cells, UINT sides, COLORREF foreground,
              COLORREF background);

// The system colours.
COLORREF SystemColor(int index);

} // namespace gdi
