// The window system of the emulated machine (platform/user): windows and their classes, the
// message queue with its modal loops, input, focus, dialogs and the dialog manager, the
// standard controls, menus, message boxes and icons. Uses the GDI to draw and the kernel for
// resources and text; it knows no front end: whoever shows the screen and feeds input
// installs user/FrontendHooks.h. This header is the window system's own bookkeeping (window
// records, classes, the focus and the active window) that its files and the common dialogs
// share.
//
// Geometry. Everything is in pixels; a screen cell is 8 x 16 pixels. A window's rectangle is
// kept in its parent's client coordinates (the desktop's client area is the screen). Child
// windows have no frame: their client area is their whole rectangle. A top-level window with
// a border, a dialog frame or a caption has a frame of one cell on every side, the caption
// taking the top row; its position and size are kept on whole cells, so that the client
// coordinates of everything inside map to cells by floor division.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace win {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;

struct WindowClass {
    std::string name; // as registered; wc.lpszClassName points into it
    WNDCLASSA wc = {};
    ATOM atom = 0;
    bool builtin = false;
    int windows = 0; // windows alive of this class
};

// What a built-in control or a dialog keeps beside the window record; owned by the window.
struct WindowState {
    virtual ~WindowState() = default;
};

struct Window {
    HWND handle = nullptr;
    WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT_PTR id = 0;
    HINSTANCE instance = nullptr;
    Window* parent = nullptr;      // the desktop for top-level windows
    HWND owner = nullptr;          // top-level windows only
    std::vector<Window*> children; // in Z order, topmost (first created) first
    RECT rect = {};                // in the parent's client coordinates
    std::string text;
    LONG_PTR userData = 0;
    std::vector<BYTE> extra; // the class's window extra bytes (dialogs keep DWLP_ there)

    bool updatePending = false; // the client area has an update region...
    RECT update = {};           // ...bounded by this rectangle (client coordinates)
    bool erasePending = false;
    bool framePending = false; // the frame needs painting (top-level windows)

    HICON iconBig = nullptr;
    HICON iconSmall = nullptr;
    HMENU sysMenu = nullptr;
    HWND lastFocus = nullptr; // the descendant that last had the focus
    bool destroying = false;
    std::unique_ptr<WindowState> state;
};

struct System {
    std::unordered_map<HWND, std::unique_ptr<Window>> windows; // looked up at every call
    std::vector<std::unique_ptr<Window>> graveyard;            // destroyed, freed when nothing runs
    std::vector<std::unique_ptr<WindowClass>> classes;
    Window* desktop = nullptr;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    uintptr_t nextHandle = 0x20000;
    int callDepth = 0; // window procedures running now
    bool starting = false;
};

// The window system, made with its desktop at the first use. Every window call asks for it
// several times, so once it is made it is one load away.
extern System* g_pReadySystem;
System& StartSystem();
inline System& Sys() {
    return g_pReadySystem ? *g_pReadySystem : StartSystem();
}
// The window record of a live window, or null (unknown, destroyed, or null handle).
Window* Find(HWND hwnd);
Window* Desktop();
bool IsTopLevel(const Window* w);
// The top-level window a window belongs to (itself when top-level).
Window* TopLevelOf(Window* w);
// Frees the records of destroyed windows once no window procedure can still hold one.
void CollectGarbage();

// Classes (WindowClass.cpp).
WindowClass* FindClass(LPCSTR name);
void RegisterBuiltinClasses();

// Geometry (WindowGeometry.cpp).
struct Insets {
    int left = 0, top = 0, right = 0, bottom = 0;
};
Insets FrameInsets(DWORD style, DWORD exStyle, bool topLevel);
Insets FrameInsets(const Window* w);
bool HasFrame(const Window* w);
bool HasCaption(const Window* w);
POINT ClientOrigin(const Window* w); // in screen coordinates
RECT ScreenRect(const Window* w);
RECT ClientRectOf(const Window* w);
// Keeps a top-level rectangle on whole cells (its corner rounded down, its size up).
RECT SnapToCells(RECT r);
RECT ScreenBounds();
// The cells a span of pixels covers, for drawing: first cell and cell count by floor division.
int CellOf(int pixel, int cellSize);
// Applies a new rectangle, Z order and visibility flags, with the messages and repainting
// that go with them; visibility changes should come through ShowWindow.
BOOL PlaceWindow(Window* w, WINDOWPOS wp);

// Painting (WindowPaint.cpp).
// Adds a rectangle (client coordinates; null: the whole client area) to the update region,
// and to the children it overlaps (allChildren is kept for RDW_ALLCHILDREN; children are
// always included, since a parent paints over their cells).
void Invalidate(Window* w, const RECT* clientRect, bool erase, bool allChildren = false);
void InvalidateFrame(Window* w);
void InvalidateAll(Window* w); // frame, client and every descendant
// After a window left a rectangle of its parent (screen coordinates): repaint what was under.
void ExposeScreenRect(Window* parent, const RECT& screenRect, const Window* except);
// The next window that needs painting (frame or client), or null. Paints the desktop and
// frames directly on the way.
Window* NextWindowToPaint();
// Whether a window casts a shadow on what lies under it: a modal dialog or message box does,
// so that it reads as standing over its owner rather than as a page of it.
bool CastsShadow(const Window* w);
void PaintFrame(Window* w); // sends WM_NCPAINT
void DrawFrame(Window* w);  // the default WM_NCPAINT
// Where the close box of a captioned window is, in screen coordinates (empty when none).
RECT CloseBoxRect(const Window* w);
void ValidateAll(Window* w);

// Focus and activation (WindowFocus.cpp).
bool CanTakeFocus(const Window* w);
void ChooseNewActiveWindow(HWND leaving);
void ForgetWindow(HWND hwnd); // a window is going: no focus, activation or capture stays on it

// Messages (MessageQueue.cpp).
LRESULT Send(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
void Notify(HWND control, UINT code); // WM_COMMAND with the control's id and code to its parent
bool InputEnded();

// Text.
std::string TextOf(HWND hwnd);
bool IsLeadByte(BYTE b);
// The byte offset of the character before offset (start of a double-byte character).
size_t PrevCharOffset(const std::string& s, size_t offset);
size_t NextCharOffset(const std::string& s, size_t offset);
// The mnemonic character after a single "&" in a label, upper-cased; 0 when none.
int MnemonicOf(const std::string& label);

template <class T> T* StateOf(HWND hwnd) {
    Window* w = Find(hwnd);
    return w ? dynamic_cast<T*>(w->state.get()) : nullptr;
}

// Built-in window procedures.
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboListProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK MenuPopupProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DesktopProc(HWND, UINT, WPARAM, LPARAM);

} // namespace win
