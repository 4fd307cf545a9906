// The terminal's colours for the screen's RGB colours: the nearest of 256 where the terminal
// has them, else of the sixteen (or eight) standard ones; colour pairs made as needed.
#pragma once

#define NCURSES_WIDECHAR 1
#include <windows.h>

#include <curses.h>

#include <map>

namespace host::frontend {

// The terminal colour nearest to an RGB colour among the given number of colours (8, 16 or
// 256). Kept apart from the terminal so that it can be tested.
int NearestTerminalColor(COLORREF color, int colors);

class CColorPairs {
  public:
    // Reads what the terminal offers; call after curses started.
    void Start();
    // The pair for a foreground and background; adds the attributes the pair alone cannot
    // give (bold for a bright foreground on eight colours, reverse without colours).
    short PairFor(COLORREF foreground, COLORREF background, attr_t& attributes);
    // The attributes that mark a mnemonic: an underline where the terminal shows one with
    // colours; else bold in a colour that stands out (the foreground is changed for it).
    attr_t MnemonicAttributes(COLORREF& foreground, COLORREF background) const;

  private:
    bool m_bColors = false;
    int m_nColors = 0;
    int m_nPairLimit = 0;
    bool m_bUnderline = true;
    short m_nNextPair = 1;
    std::map<long, short> m_pairs;
};

} // namespace host::frontend
