// Dialogs from templates: modeless (CreateDialog...) and modal (DialogBox...), and EndDialog.
//
// Dialog units map onto pixels as x = 2 * dlu and y = 2 * dlu, so 4 horizontal units are one
// 8-pixel column and 8 vertical units one 16-pixel row. A template's x and y place the
// dialog's client area: in the parent's client area for a child dialog, else in the owner's
// client area (the screen's with DS_ABSALIGN or without owner). A top-level dialog's client
// area is rounded up to whole cells and framed by one cell on every side.
//
// Controls and child dialogs are put on whole cells: a control whose template says x, y, cx,
// cy starts at column x / 4 and ends before column (x + cx) / 4 (rounded down, at least one
// cell). A control of one line goes on the row its middle lies in (see ItemCellRect), a taller
// one starts at row y / 8 and ends before row (y + cy) / 8. So what a control draws at its
// client origin lands on a whole cell, whichever way the GDI maps pixels to cells.
#include "user/Dialog.h"

#include "Control.h"
#include "MessageQueue.h"

#include <algorithm>
#include <map>

namespace win {

namespace {

std::map<HWND, INT_PTR>& EndResults() {
    static std::map<HWND, INT_PTR> results;
    return results;
}

int DluToX(int dlu) {
    return dlu * 2;
}

int DluToY(int dlu) {
    return dlu * 2;
}

// The cells a control's dialog units name, in pixels of the dialog's client area.
RECT CellRectOf(int x, int y, int cx, int cy) {
    int left = CellOf(x, 4);
    int top = CellOf(y, 8);
    int right = std::max(left + 1, CellOf(x + std::max(0, cx), 4));
    int bottom = std::max(top + 1, CellOf(y + std::max(0, cy), 8));
    RECT r = {left * kCellWidth, top * kCellHeight, right * kCellWidth, bottom * kCellHeight};
    return r;
}

bool IsPushButton(const res::DialogItem& item) {
    DWORD kind = item.style & 0x0F;
    return item.className == "Button" && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON);
}

bool IsTextLine(const res::DialogItem& item) {
    DWORD kind = item.style & SS_TYPEMASK;
    return item.className == "Static" &&
           (kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_LEFTNOWORDWRAP);
}

// A control of one line (under two rows of units tall: a text, an edit, a button) goes on the
// row its middle lies in, so that the controls of one line share a row and the margins above
// the first line and below the last one come out alike. One that is 13 to 15 units tall and
// not a push button holds a line with an edge around it (a progress bar in its sunken edge):
// it takes the rows above and below that row too, for the edge's lines.
RECT ItemCellRect(const res::DialogItem& item) {
    RECT r = CellRectOf(item.x, item.y, item.cx, item.cy);
    if (item.cy <= 0 || item.cy >= 16)
        return r;
    int middle = CellOf(2 * item.y + item.cy, 16);
    bool edged = item.cy >= 13 && !IsPushButton(item);
    r.top = (edged ? middle - 1 : middle) * kCellHeight;
    r.bottom = (edged ? middle + 2 : middle + 1) * kCellHeight;
    return r;
}

// Lines of text one line pitch (12 units) apart in the template are one sentence or list;
// where the rows of their middles lie two apart, the lower line and the controls beside it
// move up a row, so that no blank row splits them. The lines that follow a moved one closely
// (within 16 units, a pitch and a small gap) move up with it, so that the gap the template
// leaves after it stays one row and does not grow to two.
void JoinConsecutiveLines(const res::DialogTemplate& t, std::vector<RECT>& cells) {
    std::vector<size_t> lines;
    for (size_t i = 0; i < t.items.size(); ++i)
        if (IsTextLine(t.items[i]) && t.items[i].cy < 16)
            lines.push_back(i);
    std::stable_sort(lines.begin(), lines.end(),
                     [&](size_t a, size_t b) { return t.items[a].y < t.items[b].y; });
    std::map<int, int> raisedAt; // rows each line's y moved up by
    for (size_t i : lines) {
        const res::DialogItem& item = t.items[i];
        if (raisedAt.count(item.y) != 0)
            continue; // a line beside it on the same y has moved them all
        // The nearest line above that shares columns with one of the lines at this y.
        const size_t* above = nullptr;
        for (const size_t& a : lines) {
            const res::DialogItem& candidate = t.items[a];
            if (candidate.y >= item.y)
                break;
            for (size_t j : lines) {
                const res::DialogItem& beside = t.items[j];
                if (beside.y == item.y && candidate.x < beside.x + beside.cx &&
                    beside.x < candidate.x + candidate.cx)
                    above = &a;
            }
        }
        int raise = 0;
        if (above != nullptr) {
            const res::DialogItem& a = t.items[*above];
            if (item.y - a.y <= 16)
                raise = raisedAt[a.y];
            if (item.y - a.y <= 12 &&
                cells[i].top - raise * kCellHeight == cells[*above].top + 2 * kCellHeight)
                ++raise;
        }
        raisedAt[item.y] = raise;
        if (raise == 0)
            continue;
        for (size_t j = 0; j < t.items.size(); ++j)
            if (t.items[j].y == item.y && t.items[j].cy < 16)
                OffsetRect(&cells[j], 0, -raise * kCellHeight);
    }
}

// The cells of every control of a template. Push buttons side by side on one line, which the
// template sets apart by the same units, would come out a cell apart here and two cells there
// where the units fall on half cells: each such button is put the gap's rounded cells left of
// its right-hand neighbour, from the rightmost one (lined up with the dialog's edge) leftward.
std::vector<RECT> ItemCells(const res::DialogTemplate& t) {
    std::vector<RECT> cells;
    for (const res::DialogItem& item : t.items)
        cells.push_back(ItemCellRect(item));
    JoinConsecutiveLines(t, cells);
    std::vector<size_t> buttons;
    for (size_t i = 0; i < t.items.size(); ++i)
        if (IsPushButton(t.items[i]) && (t.items[i].style & WS_VISIBLE))
            buttons.push_back(i);
    // Right to left, so that each button is placed after its right-hand neighbour.
    std::sort(buttons.begin(), buttons.end(),
              [&](size_t a, size_t b) { return t.items[a].x > t.items[b].x; });
    for (size_t i : buttons) {
        const res::DialogItem& item = t.items[i];
        const size_t* neighbour = nullptr;
        for (const size_t& j : buttons) {
            const res::DialogItem& other = t.items[j];
            if (j == i || other.y != item.y || other.cy != item.cy || other.x < item.x + item.cx)
                continue;
            if (neighbour == nullptr || other.x < t.items[*neighbour].x)
                neighbour = &j;
        }
        if (neighbour == nullptr)
            continue;
        int gap = t.items[*neighbour].x - (item.x + item.cx);
        int width = cells[i].right - cells[i].left;
        int right = cells[*neighbour].left - (gap + 2) / 4 * kCellWidth;
        if (right - width >= 0) {
            cells[i].left = right - width;
            cells[i].right = right;
        }
    }
    return cells;
}

RECT DialogRect(const res::DialogTemplate& t, DWORD style, DWORD exStyle, HWND owner) {
    int clientWidth = std::max(0, DluToX(t.cx));
    int clientHeight = std::max(0, DluToY(t.cy));
    if (style & WS_CHILD)
        return CellRectOf(t.x, t.y, t.cx, t.cy);
    // Rows go to the nearest whole cell, not up: a template a few units taller than its
    // whole rows (129 units for 16 rows and a bit) would otherwise gain a blank row at the
    // bottom that its top margin lacks. No visible control is cut by it (a combo box's
    // height is that of its open list, which may hang below the dialog).
    clientWidth = (clientWidth + kCellWidth - 1) / kCellWidth * kCellWidth;
    int rows = (clientHeight + kCellHeight / 2) / kCellHeight;
    std::vector<RECT> cells = ItemCells(t);
    for (size_t i = 0; i < cells.size(); ++i)
        if ((t.items[i].style & WS_VISIBLE) &&
            lstrcmpiA(t.items[i].className.c_str(), "ComboBox") != 0)
            rows =
                std::max(rows, static_cast<int>((cells[i].bottom + kCellHeight - 1) / kCellHeight));
    clientHeight = std::max(1, rows) * kCellHeight;
    Insets in = FrameInsets(style, exStyle, true);
    int width = clientWidth + in.left + in.right;
    int height = clientHeight + in.top + in.bottom;
    RECT screen = ScreenBounds();
    int left = 0;
    int top = 0;
    if (style & DS_CENTER) {
        left = (screen.right - width) / 2;
        top = (screen.bottom - height) / 2;
    } else {
        POINT origin = {DluToX(t.x), DluToY(t.y)};
        if (owner != nullptr && !(style & DS_ABSALIGN))
            ClientToScreen(owner, &origin);
        left = origin.x - in.left;
        top = origin.y - in.top;
    }
    // Keep the dialog on the screen.
    if (left + width > screen.right)
        left = screen.right - width;
    if (top + height > screen.bottom)
        top = screen.bottom - height;
    left = std::max(0, left);
    top = std::max(0, top);
    RECT r = {left, top, left + width, top + height};
    return SnapToCells(r);
}

} // namespace

DialogState* DialogOf(HWND hwnd) {
    return StateOf<DialogState>(hwnd);
}

HWND DialogHolding(HWND control) {
    Window* w = Find(control);
    if (w == nullptr)
        return nullptr;
    for (Window* a = w->parent; a != nullptr && a != Sys().desktop; a = a->parent)
        if (dynamic_cast<DialogState*>(a->state.get()) != nullptr)
            return a->handle;
    return nullptr;
}

bool LoadDialogTemplate(HINSTANCE instance, LPCSTR name, res::DialogTemplate& out) {
    HRSRC found = FindResourceA(instance, name, RT_DIALOG);
    if (found == nullptr)
        return false;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(instance, found);
    if (data == nullptr || size == 0)
        return false;
    return res::ParseDialogTemplate(data, size, out);
}

HWND CreateDialogFromTemplate(const res::DialogTemplate& t, HINSTANCE instance, HWND parent,
                              DLGPROC proc, LPARAM param, bool modal) {
    DWORD style = t.style;
    DWORD exStyle = t.exStyle;
    if (style & DS_MODALFRAME)
        exStyle |= WS_EX_DLGMODALFRAME;
    if (style & DS_CONTROL) {
        style &= ~(WS_CAPTION | WS_SYSMENU);
        exStyle |= WS_EX_CONTROLPARENT;
    }
    HWND owner = nullptr;
    if (!(style & WS_CHILD) && parent != nullptr) {
        Window* p = Find(parent);
        if (p == nullptr) {
            SetLastError(1400);
            return nullptr;
        }
        owner = TopLevelOf(p)->handle;
    }
    if ((style & WS_CHILD) && Find(parent) == nullptr) {
        SetLastError(1406);
        return nullptr;
    }
    RECT r = DialogRect(t, style, exStyle, owner);
    LPCSTR className = t.className.empty() ? "#32770" : t.className.c_str();
    if (t.className.empty() && t.classIsOrdinal)
        className = MAKEINTRESOURCEA(t.classOrdinal);
    HWND hwnd = CreateWindowExA(exStyle, className, t.caption.c_str(), style & ~WS_VISIBLE, r.left,
                                r.top, r.right - r.left, r.bottom - r.top,
                                (style & WS_CHILD) ? parent : owner, nullptr, instance, nullptr);
    Window* w = Find(hwnd);
    if (w == nullptr)
        return nullptr;
    if (w->extra.size() < static_cast<size_t>(DLGWINDOWEXTRA))
        w->extra.resize(DLGWINDOWEXTRA, 0);
    auto state = std::make_unique<DialogState>();
    DialogState* dialog = state.get();
    dialog->modal = modal;
    w->state = std::move(state);
    SetWindowLongPtrA(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));

    if (t.pointSize != 0) {
        dialog->font = CreateFontA(-static_cast<int>(t.pointSize), 0, 0, 0, t.weight, t.italic,
                                   FALSE, FALSE, t.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH, t.faceName.c_str());
        dialog->ownsFont = dialog->font != nullptr;
        if (dialog->font != nullptr)
            Send(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(dialog->font), FALSE);
    }

    std::vector<RECT> itemCells = ItemCells(t);
    for (size_t index = 0; index < t.items.size(); ++index) {
        const res::DialogItem& item = t.items[index];
        if (Find(hwnd) == nullptr)
            return nullptr;
        LPCSTR text = item.text.c_str();
        if (item.textIsOrdinal)
            text = MAKEINTRESOURCEA(item.textOrdinal);
        const void* creationData = item.creationData.empty() ? nullptr : item.creationData.data();
        const RECT& cells = itemCells[index];
        HWND control = CreateWindowExA(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(),
                                       text, item.style | WS_CHILD, cells.left, cells.top,
                                       cells.right - cells.left, cells.bottom - cells.top, hwnd,
                                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)),
                                       instance, const_cast<void*>(creationData));
        if (control == nullptr) {
            if (style & DS_NOFAILCREATE)
                continue;
            DestroyWindow(hwnd);
            return nullptr;
        }
        DialogState* d = DialogOf(hwnd);
        if (d == nullptr)
            return nullptr;
        if (d->font != nullptr)
            Send(control, WM_SETFONT, reinterpret_cast<WPARAM>(d->font), FALSE);
        if (Send(control, WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON)
            d->defId = static_cast<WORD>(item.id);
    }
    if (Find(hwnd) == nullptr)
        return nullptr;
    MakeRoomForLabels(hwnd);

    HWND first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    LRESULT focusWanted = Send(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
    w = Find(hwnd);
    if (w == nullptr)
        return nullptr;
    if (focusWanted) {
        first = GetNextDlgTabItem(hwnd, nullptr, FALSE);
        if (first != nullptr) {
            w->lastFocus = first;
            if (IsWindowVisible(hwnd)) {
                DialogSetFocus(hwnd, first);
            } else if (Send(first, WM_GETDLGCODE) & DLGC_HASSETSEL) {
                // The focus comes when the dialog is shown; the text is selected now.
                Send(first, EM_SETSEL, 0, -1);
            }
        }
    }
    dialog = DialogOf(hwnd);
    if (!modal && dialog != nullptr && !dialog->ended && (t.style & WS_VISIBLE) &&
        !IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_SHOWNORMAL);
    return Find(hwnd) ? hwnd : nullptr;
}

INT_PTR RunDialogBox(const res::DialogTemplate& t, HINSTANCE instance, HWND parent, DLGPROC proc,
                     LPARAM param) {
    HWND owner = nullptr;
    if (parent != nullptr) {
        Window* p = Find(parent);
        if (p == nullptr) {
            SetLastError(1400);
            return -1;
        }
        owner = TopLevelOf(p)->handle;
        if (owner == Desktop()->handle)
            owner = nullptr;
    }
    res::DialogTemplate modal = t;
    modal.style &= ~WS_CHILD;
    modal.style |= WS_POPUP;
    HWND hwnd = CreateDialogFromTemplate(modal, instance, owner, proc, param, true);
    if (hwnd == nullptr)
        return -1;
    DialogState* dialog = DialogOf(hwnd);
    bool ownerDisabled = false;
    if (owner != nullptr && IsWindowEnabled(owner) && dialog != nullptr && !dialog->ended) {
        EnableWindow(owner, FALSE);
        ownerDisabled = true;
        if (DialogState* d = DialogOf(hwnd))
            d->ownerToEnable = owner;
    }
    dialog = DialogOf(hwnd);
    if (dialog != nullptr && !dialog->ended && !IsWindowVisible(hwnd)) {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        if (Window* w = Find(hwnd); w != nullptr && Sys().active == hwnd) {
            // Focus into the dialog as WM_INITDIALOG asked (or onto the dialog itself).
            HWND focus = Sys().focus;
            if (focus == nullptr || (focus != hwnd && !IsChild(hwnd, focus)))
                DialogRestoreFocus(hwnd, true);
        }
    }
    RunModalLoop(hwnd, [hwnd] {
        DialogState* d = DialogOf(hwnd);
        return d == nullptr || d->ended;
    });
    INT_PTR result = -1;
    auto& results = EndResults();
    auto it = results.find(hwnd);
    if (it != results.end()) {
        result = it->second;
        results.erase(it);
    } else if (DialogState* d = DialogOf(hwnd)) {
        // The loop ended without EndDialog: no more input can come.
        result = d->ended ? d->result : IDCANCEL;
    }
    if (ownerDisabled && IsWindow(owner) && !IsWindowEnabled(owner))
        EnableWindow(owner, TRUE);
    if (IsWindow(hwnd)) {
        if (IsWindowVisible(hwnd))
            ShowWindow(hwnd, SW_HIDE);
        DestroyWindow(hwnd);
    }
    if (owner != nullptr && IsWindow(owner) && GetActiveWindow() == nullptr &&
        IsWindowVisible(owner))
        SetActiveWindow(owner);
    return result;
}

} // namespace win

using namespace win;

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate,
                                       HWND parent, DLGPROC dialogProc, LPARAM initParam) {
    if (dialogTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    size_t size = res::ResourceBytesAvailable(dialogTemplate);
    if (size == 0)
        size = 0x10000; // a template the program built in memory; it ends where it says
    res::DialogTemplate t;
    if (!res::ParseDialogTemplate(dialogTemplate, size, t)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateDialogFromTemplate(t, instance, parent, dialogProc, initParam, false);
}

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                               DLGPROC dialogProc, LPARAM initParam) {
    res::DialogTemplate t;
    if (!LoadDialogTemplate(instance, templateName, t)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return CreateDialogFromTemplate(t, instance, parent, dialogProc, initParam, false);
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate,
                                       HWND parent, DLGPROC dialogProc, LPARAM initParam) {
    if (dialogTemplate == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    size_t size = res::ResourceBytesAvailable(dialogTemplate);
    if (size == 0)
        size = 0x10000;
    res::DialogTemplate t;
    if (!res::ParseDialogTemplate(dialogTemplate, size, t)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    return RunDialogBox(t, instance, parent, dialogProc, initParam);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent,
                               DLGPROC dialogProc, LPARAM initParam) {
    res::DialogTemplate t;
    if (!LoadDialogTemplate(instance, templateName, t)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return -1;
    }
    return RunDialogBox(t, instance, parent, dialogProc, initParam);
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    DialogState* d = DialogOf(dialog);
    if (d == nullptr) {
        SetLastError(1400);
        return FALSE;
    }
    d->ended = true;
    d->result = result;
    if (d->modal)
        EndResults()[dialog] = result;
    HWND owner = d->ownerToEnable;
    d->ownerToEnable = nullptr;
    // The owner comes back first, so that hiding the dialog hands the activation to it.
    if (owner != nullptr && IsWindow(owner) && !IsWindowEnabled(owner))
        EnableWindow(owner, TRUE);
    if (IsWindowVisible(dialog) || (GetWindowLongA(dialog, GWL_STYLE) & WS_VISIBLE))
        ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

BOOL WINAPI MapDialogRect(HWND, LPRECT rect) {
    if (rect == nullptr)
        return FALSE;
    rect->left *= 2;
    rect->right *= 2;
    rect->top *= 2;
    rect->bottom *= 2;
    return TRUE;
}

LONG WINAPI GetDialogBaseUnits() {
    // 4 dialog units are one 8-pixel column, 8 are one 16-pixel row.
    return MAKELONG(8, 16);
}
