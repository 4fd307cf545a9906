// The copy page's progress bar paints itself with the GDI alone: a sunken edge, then the done
// part and the rest as two ExtTextOutA calls with complementary clip rectangles, each filling
// its part and drawing the same centred percentage. These are exactly those calls, for tests
// that read back the cells.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace progress {

// What the bar measures once, when its range is set.
struct BarGeometry {
    RECT client{};
    RECT bar{};
    int barWidth = 0;
    int textX = 0;
    int textY = 0;
};

BarGeometry Measure(HDC hdc, const RECT& client, HFONT font) {
    BarGeometry geometry;
    HGDIOBJ oldFont = font ? SelectObject(hdc, font) : nullptr;
    LOGBRUSH hollow{BS_NULL, 0, 0};
    HBRUSH brush = CreateBrushIndirect(&hollow);
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    geometry.client = client;
    geometry.bar = RECT{client.left + 3, client.top + 3, client.right - 3, client.bottom - 3};
    geometry.barWidth = client.right - client.left - 6;
    SIZE extent{};
    GetTextExtentPointA(hdc, "100%", 4, &extent);
    geometry.textY = geometry.bar.top + (geometry.bar.bottom - geometry.bar.top - extent.cy) / 2;
    geometry.textX = geometry.bar.left + geometry.barWidth / 2;
    SelectObject(hdc, oldBrush);
    if (font)
        SelectObject(hdc, oldFont);
    DeleteObject(brush);
    return geometry;
}

void Draw(HDC hdc, const BarGeometry& geometry, int percent, HFONT font) {
    HGDIOBJ oldFont = font ? SelectObject(hdc, font) : nullptr;
    LOGBRUSH hollow{BS_NULL, 0, 0};
    HBRUSH brush = CreateBrushIndirect(&hollow);
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    COLORREF oldBack = SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
    COLORREF oldText = SetTextColor(hdc, 0x00FF0000);
    char text[32];
    std::snprintf(text, sizeof text, "%d %%", percent);
    int length = static_cast<int>(std::strlen(text));

    RECT done{geometry.bar.left, geometry.bar.top,
              geometry.bar.left + geometry.barWidth * percent / 100, geometry.bar.bottom};
    COLORREF back = GetBkColor(hdc);
    SetBkColor(hdc, SetTextColor(hdc, back));
    SetTextAlign(hdc, TA_CENTER | TA_TOP);
    ExtTextOutA(hdc, geometry.textX, geometry.textY, ETO_CLIPPED | ETO_OPAQUE, &done, text,
                static_cast<UINT>(length), nullptr);

    RECT rest{done.right, geometry.bar.top, geometry.bar.right, geometry.bar.bottom};
    back = GetBkColor(hdc);
    SetBkColor(hdc, SetTextColor(hdc, back));
    ExtTextOutA(hdc, geometry.textX, geometry.textY, ETO_CLIPPED | ETO_OPAQUE, &rest, text,
                static_cast<UINT>(length), nullptr);

    SetBkColor(hdc, oldBack);
    SetTextColor(hdc, oldText);
    SelectObject(hdc, oldBrush);
    if (font)
        SelectObject(hdc, oldFont);
    DeleteObject(brush);
}

void Paint(HDC hdc, const BarGeometry& geometry, int percent, HFONT font) {
    RECT edge = geometry.client;
    DrawEdge(hdc, &edge, EDGE_SUNKEN, BF_RECT);
    Draw(hdc, geometry, percent, font);
}

// The bar's expected cells for a control of 408 x 48 pixels whose top-left pixel is (112, 208),
// as the window system puts it on whole cells: the edge on columns 14 to 64 and rows 13 to
// 15, the bar on columns 15 to 63 of row 14 (pixels 115 to 517).
constexpr int kControlX = 64 + 48;
constexpr int kControlY = 64 + 144;

} // namespace progress
