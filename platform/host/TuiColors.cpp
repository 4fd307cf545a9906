#include "TuiColors.h"

#include "gdi/Screen.h"

#include <cstdlib>

namespace host::frontend {
namespace {

const int kCubeLevels[6] = {0, 95, 135, 175, 215, 255};

long Distance(COLORREF a, COLORREF b) {
    long dr = long(GetRValue(a)) - GetRValue(b);
    long dg = long(GetGValue(a)) - GetGValue(b);
    long db = long(GetBValue(a)) - GetBValue(b);
    return dr * dr + dg * dg + db * db;
}

int NearestLevel(int value) {
    int best = 0;
    for (int i = 1; i < 6; ++i)
        if (std::abs(kCubeLevels[i] - value) < std::abs(kCubeLevels[best] - value))
            best = i;
    return best;
}

int Nearest256(COLORREF color) {
    // Only the cube and the grey ramp: terminals keep those as xterm defines them, while many
    // themes change the first sixteen.
    int r = NearestLevel(GetRValue(color)), g = NearestLevel(GetGValue(color)),
        b = NearestLevel(GetBValue(color));
    int cube = 16 + 36 * r + 6 * g + b;
    COLORREF cubeColor = RGB(kCubeLevels[r], kCubeLevels[g], kCubeLevels[b]);
    int average = (GetRValue(color) + GetGValue(color) + GetBValue(color)) / 3;
    int grey = average < 8 ? 0 : average > 238 ? 23 : (average - 8 + 5) / 10;
    if (grey > 23)
        grey = 23;
    int greyLevel = 8 + 10 * grey;
    if (Distance(color, RGB(greyLevel, greyLevel, greyLevel)) < Distance(color, cubeColor))
        return 232 + grey;
    return cube;
}

} // namespace

int NearestTerminalColor(COLORREF color, int colors) {
    if (colors >= 256)
        return Nearest256(color);
    // The screen's standard colours are in the order of curses: black, red, green, yellow,
    // blue, magenta, cyan, white, then the bright ones.
    int standard = gdi::NearestStandardColor(color);
    return colors >= 16 ? standard : standard % 8;
}

namespace {

bool Light(COLORREF color) {
    return GetRValue(color) + GetGValue(color) + GetBValue(color) > 384;
}

// The window colour (white) of edits and lists is the dialog's grey among eight colours: such
// fields take black, with light text, so that they do not vanish into the dialog.
constexpr int kWhite = 15;
constexpr int kFieldBackground = 0;
constexpr int kFieldText = 7;

} // namespace

void CColorPairs::Start() {
    m_bColors = has_colors();
    // The console cannot underline in colour ("no_color_video" names the underline).
    const char* underline = tigetstr(const_cast<char*>("smul"));
    int noColorVideo = tigetnum(const_cast<char*>("ncv"));
    m_bUnderline = underline && underline != reinterpret_cast<const char*>(-1) &&
                   !(m_bColors && noColorVideo > 0 && (noColorVideo & 2));
    m_pairs.clear();
    m_nNextPair = 1;
    if (!m_bColors)
        return;
    start_color();
    m_nColors = COLORS >= 256 ? 256 : COLORS >= 16 ? 16 : 8;
    m_nPairLimit = COLOR_PAIRS < 32767 ? COLOR_PAIRS : 32767;
    // Too few pairs for the 256 colours: the standard ones repeat less.
    if (m_nColors == 256 && m_nPairLimit < 256)
        m_nColors = 16;
}

short CColorPairs::PairFor(COLORREF foreground, COLORREF background, attr_t& attributes) {
    if (!m_bColors) {
        // Without colours a light background is the terminal's reverse video.
        auto light = [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) > 384; };
        if (light(background) && !light(foreground))
            attributes |= A_REVERSE;
        return 0;
    }
    int fg = NearestTerminalColor(foreground, m_nColors);
    int bg = NearestTerminalColor(background, m_nColors);
    if (m_nColors == 8 && gdi::NearestStandardColor(background) == kWhite) {
        bg = kFieldBackground;
        if (fg == bg)
            fg = kFieldText;
    }
    if (m_nColors == 8 && gdi::NearestStandardColor(foreground) >= 8 &&
        gdi::NearestStandardColor(foreground) != 15)
        attributes |= A_BOLD;
    long key = long(fg) * 1024 + bg;
    auto found = m_pairs.find(key);
    if (found != m_pairs.end())
        return found->second;
    if (m_nNextPair >= m_nPairLimit)
        return 0;
    short pair = m_nNextPair++;
    init_pair(pair, static_cast<short>(fg), static_cast<short>(bg));
    m_pairs[key] = pair;
    return pair;
}

} // namespace host::frontend

namespace host::frontend {

attr_t CColorPairs::MnemonicAttributes(COLORREF& foreground, COLORREF background) const {
    if (m_bUnderline)
        return A_UNDERLINE;
    if (m_bColors)
        foreground = Light(background) ? RGB(255, 0, 0) : RGB(255, 255, 0);
    return A_BOLD;
}

} // namespace host::frontend
