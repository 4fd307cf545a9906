// The GDI of the emulated machine (platform/gdi): device contexts, pens, brushes, fonts, text
// and shapes, all drawn into one screen of character cells (gdi/Screen.h) that a front end
// presents. Uses the kernel only (code pages for double-byte text). This header is what the
// window system asks of it: device contexts for windows, the screen's size, the desktop and the
// frame of a top-level window. All coordinates are screen pixels unless said otherwise; a cell
// of the screen is kCellWidth x kCellHeight pixels.
#pragma once

#include <windows.h>

#include <vector>

namespace gdi {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;

// A device context for a window: its origin is the top-left corner of the window (clientOnly
// false) or of its client area (clientOnly true), taken from GetWindowRect, GetClientRect and
// ClientToScreen; it clips to that area intersected with the client areas of the window's
// parents (WS_CHILD ancestors) and the screen, and leaves out the visible top-level windows
// above the window's top-level window in Z order (GetWindow with GW_HWNDPREV); nothing of a
// window that is not visible (IsWindowVisible) reaches the screen. A null hwnd
// gives a device context for the whole screen. The device context starts with the system
// font, a white brush, a black pen, black text on white, opaque background, TA_LEFT | TA_TOP.
// BeginPaint narrows it to the update region with IntersectClipRect.
HDC CreateWindowDC(HWND hwnd, bool clientOnly);
// Limits a window's device context to the update rectangle being painted (logical
// coordinates); unlike IntersectClipRect it lets a double-byte character that straddles the
// rectangle's edge be drawn whole.
void ClipToUpdateRect(HDC hdc, const RECT& update);
// Frees a device context made by CreateWindowDC. FALSE for a handle that is not one.
BOOL ReleaseWindowDC(HDC hdc);
// The window a device context was made for (null for the screen or an unknown handle).
HWND WindowOfDC(HDC hdc);

// The screen's size in pixels (columns * kCellWidth, rows * kCellHeight).
SIZE ScreenSize();
// Where the text caret of the focused control stands, as a screen pixel (the cell that holds
// it); the terminal shows its cursor there. shown false hides it.
void SetCaret(bool shown, POINT screenPoint);

// Paints the desktop (COLOR_BACKGROUND) over a rectangle of the screen, as where a window
// was before it moved away or was hidden.
void FillDesktop(const RECT& screenRect);

// Paints the frame of a top-level window into a device context made with clientOnly false:
// a box of line characters on the border cells of windowRect (the window's rectangle in the
// device context's coordinates, so normally 0, 0, width, height), with the caption in the top
// row, highlighted when active. The caption row and the border are one cell each: the client
// area of a framed window with a caption lies kCellWidth in from the left and right,
// kCellHeight down from the top and kCellHeight up from the bottom; a frame without caption
// (captioned false) puts the plain border line into the top row.
void DrawWindowFrame(HDC hdc, const RECT& windowRect, LPCSTR caption, bool captioned, bool active);

// Casts the shadow of a top-level window on what lies under it: the column of cells right of
// the window and the row below it, each one cell shorter at its start, take a dark colour
// and keep their characters. Windows above the window are left alone.
void DrawWindowShadow(HWND hwnd);
// The screen rectangle a window's shadow falls on together with the window itself.
RECT WithShadow(const RECT& windowRect);

// A pixel of an icon image that the icon's mask leaves transparent.
constexpr COLORREF kTransparentPixel = 0xFF000000;

// The picture of an icon, decoded by the window system.
struct IconImage {
    int width = 0, height = 0;
    // IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION or IDI_ASTERISK for the
    // system's built-in icons (LoadIconA with a null module); 0 for icons from a module.
    WORD systemIcon = 0;
    // width * height colours, row by row from the top, as COLORREF (0x00BBGGRR), or
    // kTransparentPixel where the mask lets the background through.
    std::vector<COLORREF> pixels;
};

// Draws an icon's picture with its top-left corner at (x, y): a system icon as its symbol on
// its colour, any other icon in blocks of half cells. FALSE when the image is empty.
BOOL DrawIconImage(HDC hdc, int x, int y, const IconImage& image);

} // namespace gdi
