#include "app/ProgressBar.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CProgressBar, CStatic)
ON_WM_PAINT()
END_MESSAGE_MAP()

CProgressBar::~CProgressBar() = default;

namespace {

// Selects the control's font (if it has one) and a hollow brush, and puts them back.
class DrawingTools {
  public:
    DrawingTools(HDC dc, HFONT font) : m_dc(dc) {
        if (font)
            m_oldFont = SelectObject(dc, font);
        LOGBRUSH hollow = {BS_NULL, 0, 0};
        m_brush = CreateBrushIndirect(&hollow);
        m_oldBrush = SelectObject(dc, m_brush);
    }
    ~DrawingTools() {
        SelectObject(m_dc, m_oldBrush);
        if (m_oldFont)
            SelectObject(m_dc, m_oldFont);
        DeleteObject(m_brush);
    }
    DrawingTools(const DrawingTools&) = delete;
    DrawingTools& operator=(const DrawingTools&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_oldFont = nullptr;
    HGDIOBJ m_oldBrush = nullptr;
    HBRUSH m_brush = nullptr;
};

constexpr COLORREF kBarColor = 0x00FF0000;

} // namespace

BOOL CProgressBar::SetRange(int upper, int lower, int step) {
    m_nUpper = upper;
    m_nLower = lower;
    m_nRange = upper - lower;
    m_nStep = step;
    m_nPos = 0;
    m_nPercent = 0;
    m_nShownPercent = -1;

    HDC dc = GetDC();
    {
        DrawingTools tools(dc, GetFont());
        GetClientRect(&m_rcClient);
        m_rcBar = {m_rcClient.left + 3, m_rcClient.top + 3, m_rcClient.right - 3,
                   m_rcClient.bottom - 3};
        m_nBarWidth = m_rcClient.right - m_rcClient.left - 6;
        SIZE extent = {};
        GetTextExtentPointA(dc, "100%", 4, &extent);
        m_nTextY = m_rcBar.top + (m_rcBar.bottom - m_rcBar.top - extent.cy) / 2;
        m_nTextX = m_rcBar.left + m_nBarWidth / 2;
    }
    ReleaseDC(dc);
    return TRUE;
}

BOOL CProgressBar::Step() {
    m_nPos += m_nStep;
    // A range of 0 cannot come from the loader (it refuses a script without files); keep the
    // bar at 0 rather than divide by it.
    m_nPercent = m_nRange != 0 ? m_nPos * 100 / m_nRange : 0;
    // The bar shows the percentage and nothing else: a step that leaves it as it is need not
    // paint it again (a part uncovered since is painted through UpdateWindow all the same).
    if (m_nPercent != m_nShownPercent) {
        HDC dc = GetDC();
        Draw(dc);
        ReleaseDC(dc);
        m_nShownPercent = m_nPercent;
    }
    UpdateWindow();
    return TRUE;
}

void CProgressBar::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    DrawEdge(dc, &m_rcClient, EDGE_SUNKEN, BF_RECT);
    Draw(dc);
    EndPaint(m_hWnd, &paint);
    m_nShownPercent = m_nPercent;
}

void CProgressBar::Draw(HDC dc) {
    DrawingTools tools(dc, GetFont());
    COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    COLORREF oldText = SetTextColor(dc, kBarColor);

    char text[32];
    wsprintfA(text, "%d %%", m_nPercent);
    int length = static_cast<int>(std::strlen(text));

    RECT done = {m_rcBar.left, m_rcBar.top, m_rcBar.left + m_nBarWidth * m_nPercent / 100,
                 m_rcBar.bottom};
    // Swap: the done part has the bar colour behind text in the window colour.
    COLORREF back = SetBkColor(dc, SetTextColor(dc, GetBkColor(dc)));
    UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_TOP);
    ExtTextOutA(dc, m_nTextX, m_nTextY, ETO_CLIPPED | ETO_OPAQUE, &done, text,
                static_cast<UINT>(length), nullptr);

    RECT rest = {done.right, m_rcBar.top, m_rcBar.right, m_rcBar.bottom};
    SetTextColor(dc, SetBkColor(dc, back));
    ExtTextOutA(dc, m_nTextX, m_nTextY, ETO_CLIPPED | ETO_OPAQUE, &rest, text,
                static_cast<UINT>(length), nullptr);

    SetTextAlign(dc, oldAlign);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}
