// Keeping the top-level windows on a screen that changed size (a terminal that was resized).
#include "user/ScreenPlacement.h"

#include "user/WindowSystem.h"

#include <algorithm>
#include <vector>

namespace win {
namespace {

int Width(const RECT& r) {
    return r.right - r.left;
}

int Height(const RECT& r) {
    return r.bottom - r.top;
}

// Places a window's rectangle inside the screen where it can, its top-left corner first.
POINT KeptInside(POINT corner, const RECT& window, const RECT& screen) {
    corner.x = std::max<LONG>(0, std::min<LONG>(corner.x, screen.right - Width(window)));
    corner.y = std::max<LONG>(0, std::min<LONG>(corner.y, screen.bottom - Height(window)));
    return corner;
}

} // namespace
} // namespace win

using namespace win;

namespace host {

SIZE SmallestScreenForWindows() {
    SIZE size{0, 0};
    for (Window* top : Desktop()->children) {
        if (!(top->style & WS_VISIBLE))
            continue;
        size.cx = std::max<LONG>(size.cx, (Width(top->rect) + kCellWidth - 1) / kCellWidth);
        size.cy = std::max<LONG>(size.cy, (Height(top->rect) + kCellHeight - 1) / kCellHeight);
    }
    return size;
}

void PlaceWindowsOnScreen() {
    RECT screen = Desktop()->rect;
    // Owners before the windows they own, so that an owned window follows its owner's move.
    std::vector<HWND> order;
    std::vector<POINT> moves;
    std::vector<Window*> tops(Desktop()->children.rbegin(), Desktop()->children.rend());
    std::stable_sort(tops.begin(), tops.end(),
                     [](const Window* a, const Window* b) { return !a->owner && b->owner; });
    for (Window* top : tops) {
        RECT before = top->rect;
        POINT corner{before.left, before.top};
        Window* owner = Find(top->owner);
        size_t ownerIndex = order.size();
        for (size_t i = 0; owner && i < order.size(); ++i)
            if (order[i] == owner->handle)
                ownerIndex = i;
        if (ownerIndex < order.size()) {
            corner.x += moves[ownerIndex].x;
            corner.y += moves[ownerIndex].y;
        } else if (!owner) {
            corner.x = (Width(screen) - Width(before)) / 2;
            corner.y = (Height(screen) - Height(before)) / 2;
        }
        corner = KeptInside(corner, before, screen);
        RECT snapped = SnapToCells(
            RECT{corner.x, corner.y, corner.x + Width(before), corner.y + Height(before)});
        order.push_back(top->handle);
        moves.push_back(POINT{snapped.left - before.left, snapped.top - before.top});
        if (snapped.left != before.left || snapped.top != before.top)
            SetWindowPos(top->handle, nullptr, snapped.left, snapped.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RepaintScreen();
}

void RepaintScreen() {
    InvalidateRect(nullptr, nullptr, TRUE);
}

} // namespace host
