// Device contexts: made for windows by the window system, with their attributes and clip.
#include "GdiDevice.h"

namespace gdi {
namespace {

RECT ScreenRect() {
    SIZE size = ScreenSize();
    return RECT{0, 0, size.cx, size.cy};
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT result{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (result.left >= result.right || result.top >= result.bottom)
        result = RECT{0, 0, 0, 0};
    return result;
}

bool IsEmpty(const RECT& rect) {
    return rect.left >= rect.right || rect.top >= rect.bottom;
}

// The client area of a window in screen pixels.
RECT ClientOnScreen(HWND hwnd) {
    RECT client{0, 0, 0, 0};
    if (!GetClientRect(hwnd, &client))
        return client;
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    return RECT{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
}

bool IsChildWindow(HWND hwnd) {
    return (static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_CHILD) != 0;
}

// Windows above another in Z order cover it: top-level windows always, children of one parent
// only when the lower one asks for it with WS_CLIPSIBLINGS.
void ExcludeWindowsAbove(HWND hwnd, std::vector<RECT>& excluded) {
    int guard = 0;
    for (HWND above = GetWindow(hwnd, GW_HWNDPREV); above && guard < 10000;
         above = GetWindow(above, GW_HWNDPREV), ++guard) {
        if (!IsWindowVisible(above))
            continue;
        RECT rect;
        if (GetWindowRect(above, &rect) && !IsEmpty(rect))
            excluded.push_back(rect);
    }
}

} // namespace

RECT DeviceContext::ToScreen(const RECT& logical) const {
    return RECT{ScreenX(logical.left), ScreenY(logical.top), ScreenX(logical.right),
                ScreenY(logical.bottom)};
}

RECT DeviceContext::ToLogical(const RECT& screen) const {
    int dx = base.x + state.viewport.x, dy = base.y + state.viewport.y;
    return RECT{screen.left - dx, screen.top - dy, screen.right - dx, screen.bottom - dy};
}

HDC CreateWindowDC(HWND hwnd, bool clientOnly) {
    auto* dc = new DeviceContext;
    dc->hwnd = hwnd;
    RECT area = ScreenRect();
    if (hwnd) {
        RECT bounds{0, 0, 0, 0};
        bool placed = GetWindowRect(hwnd, &bounds) != FALSE;
        RECT client = clientOnly ? ClientOnScreen(hwnd) : RECT{0, 0, 0, 0};
        // A hidden window (or one of a hidden parent) shows nothing of what is drawn in it.
        if (!placed || !IsWindowVisible(hwnd))
            area = RECT{0, 0, 0, 0};
        else
            area = Intersect(clientOnly ? client : bounds, ScreenRect());
        HWND window = hwnd;
        int guard = 0;
        while (window && IsChildWindow(window) && guard++ < 1000) {
            HWND parent = GetParent(window);
            if (!parent)
                break;
            if (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_CLIPSIBLINGS)
                ExcludeWindowsAbove(window, dc->excluded);
            area = Intersect(area, ClientOnScreen(parent));
            window = parent;
        }
        if (window)
            ExcludeWindowsAbove(window, dc->excluded);
        dc->base = clientOnly ? POINT{client.left, client.top} : POINT{bounds.left, bounds.top};
    }
    dc->state.clip = area;
    dc->area = area;
    dc->state.font = GetStockObject(SYSTEM_FONT);
    dc->state.brush = GetStockObject(WHITE_BRUSH);
    dc->state.pen = GetStockObject(BLACK_PEN);
    return reinterpret_cast<HDC>(RegisterObject(dc));
}

void ClipToUpdateRect(HDC hdc, const RECT& update) {
    if (DeviceContext* dc = FindDC(hdc))
        dc->state.clip = Intersect(dc->state.clip, dc->ToScreen(update));
}

BOOL ReleaseWindowDC(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return FALSE;
    UnregisterObject(dc);
    delete dc;
    return TRUE;
}

HWND WindowOfDC(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    return dc ? dc->hwnd : nullptr;
}

SIZE ScreenSize() {
    const CScreen& screen = CScreen::Get();
    return SIZE{screen.Columns() * kCellWidth, screen.Rows() * kCellHeight};
}

void SetCaret(bool shown, POINT screenPoint) {
    CScreen::Get().SetCaret(shown, FloorDiv(screenPoint.x, kCellWidth),
                            FloorDiv(screenPoint.y, kCellHeight));
}

CellRect CellsOf(const RECT& screen) {
    return CellRect{CeilDiv(screen.left, kCellWidth), CeilDiv(screen.top, kCellHeight),
                    CeilDiv(screen.right, kCellWidth), CeilDiv(screen.bottom, kCellHeight)};
}

bool CellVisible(const DeviceContext& dc, int column, int row) {
    if (!CScreen::Get().Contains(column, row))
        return false;
    int x = column * kCellWidth, y = row * kCellHeight;
    const RECT& clip = dc.state.clip;
    if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)
        return false;
    for (const RECT& rect : dc.excluded)
        if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom)
            return false;
    return true;
}

bool CellInArea(const DeviceContext& dc, int column, int row) {
    if (!CScreen::Get().Contains(column, row))
        return false;
    int x = column * kCellWidth, y = row * kCellHeight;
    if (x < dc.area.left || x >= dc.area.right || y < dc.area.top || y >= dc.area.bottom)
        return false;
    for (const RECT& rect : dc.excluded)
        if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom)
            return false;
    return true;
}

} // namespace gdi

using namespace gdi;

int WINAPI SaveDC(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL WINAPI RestoreDC(HDC hdc, int savedDC) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return FALSE;
    int count = static_cast<int>(dc->saved.size());
    int index = savedDC < 0 ? count + savedDC : savedDC - 1;
    if (index < 0 || index >= count)
        return FALSE;
    dc->state = dc->saved[static_cast<size_t>(index)];
    dc->saved.resize(static_cast<size_t>(index));
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    if (!FindDC(hdc))
        return 0;
    switch (index) {
    case HORZRES:
        return ScreenSize().cx;
    case VERTRES:
        return ScreenSize().cy;
    case BITSPIXEL:
        return 24;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return 96;
    default:
        return 0;
    }
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ handle) {
    DeviceContext* dc = FindDC(hdc);
    Object* object = FindObject(handle);
    if (!dc || !object)
        return nullptr;
    HGDIOBJ* slot = nullptr;
    switch (object->type) {
    case OBJ_BRUSH:
        slot = &dc->state.brush;
        break;
    case OBJ_PEN:
        slot = &dc->state.pen;
        break;
    case OBJ_FONT:
        slot = &dc->state.font;
        break;
    default:
        return nullptr;
    }
    HGDIOBJ previous = *slot;
    *slot = handle;
    return previous;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return nullptr;
    switch (type) {
    case OBJ_BRUSH:
        return dc->state.brush;
    case OBJ_PEN:
        return dc->state.pen;
    case OBJ_FONT:
        return dc->state.font;
    default:
        return nullptr;
    }
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.textColor;
    dc->state.textColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    return dc ? dc->state.textColor : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return CLR_INVALID;
    COLORREF previous = dc->state.backgroundColor;
    dc->state.backgroundColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    return dc ? dc->state.backgroundColor : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE))
        return 0;
    int previous = dc->state.backgroundMode;
    dc->state.backgroundMode = mode;
    return previous;
}

int WINAPI GetBkMode(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    return dc ? dc->state.backgroundMode : 0;
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return GDI_ERROR;
    UINT previous = dc->state.textAlign;
    dc->state.textAlign = align;
    return previous;
}

UINT WINAPI GetTextAlign(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    return dc ? dc->state.textAlign : GDI_ERROR;
}

BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return FALSE;
    if (previous)
        *previous = dc->state.viewport;
    dc->state.viewport = POINT{x, y};
    return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT origin) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || !origin)
        return FALSE;
    *origin = dc->state.viewport;
    return TRUE;
}

int WINAPI GetClipBox(HDC hdc, LPRECT rect) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || !rect)
        return 0;
    *rect = dc->ToLogical(dc->state.clip);
    if (IsEmpty(dc->state.clip))
        return NULLREGION;
    return dc->excluded.empty() ? SIMPLEREGION : COMPLEXREGION;
}

int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc)
        return 0;
    RECT limit = dc->ToScreen(RECT{left, top, right, bottom});
    dc->state.clip = Intersect(dc->state.clip, limit);
    // What the program clips away stays away, also for a character that straddles the edge.
    dc->area = Intersect(dc->area, limit);
    if (IsEmpty(dc->state.clip))
        return NULLREGION;
    return dc->excluded.empty() ? SIMPLEREGION : COMPLEXREGION;
}
