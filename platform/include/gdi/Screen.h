// The screen of the emulated machine: a grid of character cells that everything is drawn
// into and that the front ends present. A cell holds one character of the ANSI code page in
// force (a double-byte character takes two cells: its lead cell and a trail cell), or a glyph
// outside the code page (line drawing, icon symbols), with a foreground and background colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gdi {

enum class CellKind : uint8_t {
    Single, // one byte, one cell
    Lead,   // the first cell of a double-byte character; bytes holds both bytes
    Trail,  // the second cell of a double-byte character; shows nothing of its own
    Glyph,  // a character outside the code page, one cell wide
};

struct Cell {
    CellKind kind = CellKind::Single;
    unsigned char bytes[2] = {' ', 0};
    char32_t glyph = 0;
    COLORREF foreground = RGB(0, 0, 0);
    COLORREF background = RGB(0, 0, 0);
    bool underline = false;
};

// Stands for "leave the cell's colour as it is" where a colour is asked for.
constexpr COLORREF kKeepColor = 0xFFFFFFFF;

class CScreen {
  public:
    static CScreen& Get();

    // Changes the size, filling the whole screen with blanks of the given background.
    void Resize(int columns, int rows, COLORREF background);
    int Columns() const { return m_nColumns; }
    int Rows() const { return m_nRows; }
    bool Contains(int column, int row) const {
        return column >= 0 && row >= 0 && column < m_nColumns && row < m_nRows;
    }
    // Cells outside the screen read as a blank.
    const Cell& At(int column, int row) const {
        return Contains(column, row) ? m_cells[static_cast<size_t>(row) * m_nColumns + column]
                                     : Outside();
    }

    // Writes one character: length 1 for a single-byte character (one cell), 2 for a
    // double-byte character (two cells, both of which must lie on the screen). A character
    // of which a part is overwritten loses its other part, which becomes a blank.
    void PutCharacter(int column, int row, const unsigned char* bytes, int length,
                      COLORREF foreground, COLORREF background, bool underline);
    void PutGlyph(int column, int row, char32_t glyph, COLORREF foreground, COLORREF background);
    // A single-byte character; inline, as text is written cell by cell.
    void PutSingle(int column, int row, unsigned char byte, COLORREF foreground,
                   COLORREF background, bool underline) {
        if (!Contains(column, row))
            return;
        WriteSingle(column, row, byte, foreground, background, underline);
        ++m_nGeneration;
    }
    // Blanks the cells of a row from column from up to to, except those skip(cell, column)
    // keeps: a fill's row at once.
    template <class Skip>
    void PutBlanks(int row, int from, int to, COLORREF background, Skip skip) {
        if (row < 0 || row >= m_nRows)
            return;
        bool changed = false;
        for (int column = from < 0 ? 0 : from; column < to && column < m_nColumns; ++column) {
            if (skip(static_cast<const Cell&>(CellAt(column, row)), column))
                continue;
            WriteSingle(column, row, ' ', kKeepColor, background, false);
            changed = true;
        }
        if (changed)
            ++m_nGeneration;
    }
    void PutBlank(int column, int row, COLORREF background) {
        PutSingle(column, row, ' ', kKeepColor, background, false);
    }
    // Exchanges foreground and background of a cell (the focus rectangle's inversion).
    void InvertCell(int column, int row);
    // Gives a cell new colours and keeps its character (a shadow falling on it); a cell that
    // has them already is left alone, so that shading again changes nothing.
    void RecolorCell(int column, int row, COLORREF foreground, COLORREF background);

    // Grows with every change, so that a front end can tell whether to present again.
    uint64_t Generation() const { return m_nGeneration; }

    // Where the caret stands (a cell), or none.
    void SetCaret(bool shown, int column, int row);
    bool CaretShown() const { return m_bCaret; }
    int CaretColumn() const { return m_nCaretColumn; }
    int CaretRow() const { return m_nCaretRow; }

    // One row as UTF-8 text, trailing blanks trimmed.
    std::string RowText(int row) const;
    // All rows, each followed by "\n".
    std::string Dump() const;
    // Each row as four lines: its text, one letter per cell for the foreground colours, one
    // for the background colours (see ColorLetter), and "_" for each underlined cell, "."
    // for the others.
    std::string DumpWithColors() const;

  private:
    CScreen();
    static const Cell& Outside();
    Cell& CellAt(int column, int row) {
        return m_cells[static_cast<size_t>(row) * m_nColumns + column];
    }
    // Gives a cell its colours (kKeepColor keeps one) and its underline.
    static void Color(Cell& cell, COLORREF foreground, COLORREF background, bool underline) {
        if (foreground != kKeepColor)
            cell.foreground = foreground;
        if (background != kKeepColor)
            cell.background = background;
        cell.underline = underline;
    }
    // Writes a single-byte character to a cell on the screen; the caller counts the change.
    void WriteSingle(int column, int row, unsigned char byte, COLORREF foreground,
                     COLORREF background, bool underline) {
        Cell& cell = CellAt(column, row);
        if (cell.kind != CellKind::Single)
            Detach(column, row);
        cell.bytes[0] = byte >= 0x20 ? byte : ' ';
        Color(cell, foreground, background, underline);
    }
    void Detach(int column, int row);

    int m_nColumns = 0;
    int m_nRows = 0;
    std::vector<Cell> m_cells;
    uint64_t m_nGeneration = 0;
    bool m_bCaret = false;
    int m_nCaretColumn = 0;
    int m_nCaretRow = 0;
};

// A cell's character as UTF-8: empty for a trail cell, a question mark for each cell of bytes
// the code page does not know.
std::string CellText(const Cell& cell);

// The letter of the nearest of the sixteen standard colours: k black, r maroon, g green,
// y olive, b navy, m purple, c teal, w silver; K grey, R red, G lime, Y yellow, B blue,
// M fuchsia, C aqua, W white.
char ColorLetter(COLORREF color);
// The index 0-15 of the nearest standard colour, in the order of the letters above.
int NearestStandardColor(COLORREF color);
COLORREF StandardColor(int index);

} // namespace gdi
