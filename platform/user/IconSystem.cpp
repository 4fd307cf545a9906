// The system's own icons, drawn once in the 16 standard colours.
#include "IconStore.h"

namespace host::detail {

namespace {

constexpr int kSide = 32;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kGrey = RGB(192, 192, 192);

// Glyphs of 5 x 7 dots, drawn three times enlarged in the middle of the icon.
const char* const kCross[7] = {"X...X", "X...X", ".X.X.", "..X..", ".X.X.", "X...X", "X...X"};
const char* const kQuestion[7] = {".XXX.", "X...X", "....X", "...X.", "..X..", ".....", "..X.."};
const char* const kExclamation[7] = {"..X..", "..X..", "..X..", "..X..", "..X..", ".....", "..X.."};
const char* const kInformation[7] = {"..X..", ".....", ".XX..", "..X..", "..X..", "..X..", ".XXX."};

class Canvas {
  public:
    explicit Canvas(res::IconImage& image) : m_image(image) {
        m_image.width = kSide;
        m_image.height = kSide;
        m_image.pixels.assign(kSide * kSide, res::kTransparentPixel);
    }
    void Set(int x, int y, COLORREF colour) {
        if (x >= 0 && x < kSide && y >= 0 && y < kSide)
            m_image.pixels[static_cast<size_t>(y) * kSide + x] = colour;
    }
    void Rect(int left, int top, int right, int bottom, COLORREF colour) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                Set(x, y, colour);
    }
    // A disc with a dark rim.
    void Disc(COLORREF fill, COLORREF rim) {
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                int dx = 2 * x + 1 - kSide, dy = 2 * y + 1 - kSide;
                int d = dx * dx + dy * dy;
                if (d <= 29 * 29)
                    Set(x, y, d > 26 * 26 ? rim : fill);
            }
    }
    // A triangle standing on its base.
    void Triangle(COLORREF fill, COLORREF rim) {
        for (int y = 2; y < 30; ++y) {
            int half = (y - 2) * 15 / 27;
            for (int x = 16 - half - 1; x <= 15 + half + 1; ++x)
                Set(x, y, (x == 16 - half - 1 || x == 15 + half + 1 || y == 29) ? rim : fill);
        }
    }
    void Glyph(const char* const rows[7], int top, COLORREF colour) {
        for (int row = 0; row < 7; ++row)
            for (int column = 0; column < 5; ++column)
                if (rows[row][column] == 'X')
                    Rect(9 + 3 * column, top + 3 * row, 12 + 3 * column, top + 3 * row + 3, colour);
    }

  private:
    res::IconImage& m_image;
};

} // namespace

bool DrawSystemIcon(WORD id, res::IconImage& out) {
    out = res::IconImage();
    Canvas canvas(out);
    switch (id) {
    case 32512: // IDI_APPLICATION: an empty window
        canvas.Rect(2, 4, 30, 28, kBlack);
        canvas.Rect(3, 5, 29, 27, kWhite);
        canvas.Rect(3, 5, 29, 9, kNavy);
        canvas.Rect(25, 6, 28, 8, kGrey);
        break;
    case 32513: // IDI_HAND: a stop sign
        canvas.Disc(kRed, kBlack);
        canvas.Glyph(kCross, 5, kWhite);
        break;
    case 32514: // IDI_QUESTION
        canvas.Disc(kWhite, kNavy);
        canvas.Glyph(kQuestion, 5, kBlue);
        break;
    case 32515: // IDI_EXCLAMATION: a warning triangle
        canvas.Triangle(kYellow, kBlack);
        canvas.Glyph(kExclamation, 8, kBlack);
        break;
    case 32516: // IDI_ASTERISK: information
        canvas.Disc(kWhite, kNavy);
        canvas.Glyph(kInformation, 5, kBlue);
        break;
    default:
        out = res::IconImage();
        return false;
    }
    out.systemIcon = id;
    return true;
}

} // namespace host::detail
