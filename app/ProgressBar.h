// The copy page's progress bar: a static control taken over to paint a two-tone bar with the
// percentage of files done centred on it.
#pragma once

#include "framework/CStatic.h"

class CProgressBar : public CStatic {
  public:
    CProgressBar() = default;
    ~CProgressBar() override;

    BOOL SetRange(int upper, int lower, int step);
    BOOL Step();
    void Draw(HDC dc);

    int m_nUpper = 0;
    int m_nLower = 0;
    int m_nRange = 0;
    int m_nStep = 0;
    int m_nPos = 0;
    int m_nPercent = 0;
    RECT m_rcClient = {};
    RECT m_rcBar = {};
    int m_nBarWidth = 0;
    int m_nTextY = 0;
    int m_nTextX = 0;
    int m_nShownPercent = -1; // the percentage the window shows, -1 before it shows one

  protected:
    void OnPaint();
    DECLARE_MESSAGE_MAP()
};
