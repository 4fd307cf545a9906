#include "gdi/Screen.h"

#include "kernel/MachineState.h"

namespace gdi {
namespace {

const COLORREF kStandardColors[16] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
const char kColorLetters[] = "krgybmcwKRGYBMCW";

} // namespace

CScreen& CScreen::Get() {
    static CScreen screen;
    return screen;
}

CScreen::CScreen() {
    Resize(80, 25, RGB(0, 128, 128));
}

void CScreen::Resize(int columns, int rows, COLORREF background) {
    m_nColumns = columns > 0 ? columns : 1;
    m_nRows = rows > 0 ? rows : 1;
    Cell blank;
    blank.background = background;
    m_cells.assign(static_cast<size_t>(m_nColumns) * m_nRows, blank);
    m_bCaret = false;
    ++m_nGeneration;
}

const Cell& CScreen::Outside() {
    static const Cell outside;
    return outside;
}

// A double-byte character whose one half is about to be overwritten must not leave the other
// half behind: that half would show as half a character.
void CScreen::Detach(int column, int row) {
    Cell& cell = CellAt(column, row);
    if (cell.kind == CellKind::Lead && column + 1 < m_nColumns) {
        Cell& trail = CellAt(column + 1, row);
        trail.kind = CellKind::Single;
        trail.bytes[0] = ' ';
        trail.underline = false;
    } else if (cell.kind == CellKind::Trail && column > 0) {
        Cell& lead = CellAt(column - 1, row);
        lead.kind = CellKind::Single;
        lead.bytes[0] = ' ';
        lead.underline = false;
    }
    cell.kind = CellKind::Single;
}

void CScreen::PutCharacter(int column, int row, const unsigned char* bytes, int length,
                           COLORREF foreground, COLORREF background, bool underline) {
    if (length == 2) {
        if (!Contains(column, row) || !Contains(column + 1, row))
            return;
        Cell& lead = CellAt(column, row);
        Cell& trail = CellAt(column + 1, row);
        if (lead.kind != CellKind::Single)
            Detach(column, row);
        if (trail.kind != CellKind::Single)
            Detach(column + 1, row);
        lead.kind = CellKind::Lead;
        lead.bytes[0] = bytes[0];
        lead.bytes[1] = bytes[1];
        trail.kind = CellKind::Trail;
        trail.bytes[0] = ' ';
        Color(lead, foreground, background, underline);
        Color(trail, foreground, background, underline);
        ++m_nGeneration;
    } else {
        PutSingle(column, row, bytes[0], foreground, background, underline);
    }
}

void CScreen::PutGlyph(int column, int row, char32_t glyph, COLORREF foreground,
                       COLORREF background) {
    if (!Contains(column, row))
        return;
    Detach(column, row);
    Cell& cell = CellAt(column, row);
    cell.kind = CellKind::Glyph;
    cell.glyph = glyph;
    Color(cell, foreground, background, false);
    ++m_nGeneration;
}

void CScreen::InvertCell(int column, int row) {
    if (!Contains(column, row))
        return;
    Cell& cell = CellAt(column, row);
    std::swap(cell.foreground, cell.background);
    ++m_nGeneration;
}

void CScreen::RecolorCell(int column, int row, COLORREF foreground, COLORREF background) {
    if (!Contains(column, row))
        return;
    Cell& cell = CellAt(column, row);
    if (cell.foreground == foreground && cell.background == background)
        return;
    cell.foreground = foreground;
    cell.background = background;
    ++m_nGeneration;
}

void CScreen::SetCaret(bool shown, int column, int row) {
    if (shown == m_bCaret && column == m_nCaretColumn && row == m_nCaretRow)
        return;
    m_bCaret = shown;
    m_nCaretColumn = column;
    m_nCaretRow = row;
    ++m_nGeneration;
}

std::string CellText(const Cell& cell) {
    std::string text;
    switch (cell.kind) {
    case CellKind::Trail:
        break;
    case CellKind::Glyph:
        host::detail::AppendUtf8(cell.glyph, text);
        break;
    case CellKind::Lead:
    case CellKind::Single: {
        std::string ansi(reinterpret_cast<const char*>(cell.bytes),
                         cell.kind == CellKind::Lead ? 2 : 1);
        if (ansi[0] == ' ' || static_cast<unsigned char>(ansi[0]) < 0x80)
            return ansi;
        // Bytes the code page has no character for still fill the cells they take.
        if (!host::detail::ToUtf8(host::detail::AnsiCodePage(), ansi, text))
            text = cell.kind == CellKind::Lead ? "??" : "?";
        break;
    }
    }
    return text;
}

std::string CScreen::RowText(int row) const {
    std::string text;
    size_t kept = 0;
    for (int column = 0; column < m_nColumns; ++column) {
        const Cell& cell = At(column, row);
        text += CellText(cell);
        if (!(cell.kind == CellKind::Single && cell.bytes[0] == ' ') &&
            cell.kind != CellKind::Trail)
            kept = text.size();
    }
    text.resize(kept);
    return text;
}

std::string CScreen::Dump() const {
    std::string dump;
    for (int row = 0; row < m_nRows; ++row) {
        dump += RowText(row);
        dump += '\n';
    }
    return dump;
}

std::string CScreen::DumpWithColors() const {
    std::string dump;
    for (int row = 0; row < m_nRows; ++row) {
        dump += RowText(row);
        dump += '\n';
        for (int column = 0; column < m_nColumns; ++column)
            dump += ColorLetter(At(column, row).foreground);
        dump += '\n';
        for (int column = 0; column < m_nColumns; ++column)
            dump += ColorLetter(At(column, row).background);
        dump += '\n';
        for (int column = 0; column < m_nColumns; ++column)
            dump += At(column, row).underline ? '_' : '.';
        dump += '\n';
    }
    return dump;
}

int NearestStandardColor(COLORREF color) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 16; ++i) {
        long dr = long(GetRValue(color)) - GetRValue(kStandardColors[i]);
        long dg = long(GetGValue(color)) - GetGValue(kStandardColors[i]);
        long db = long(GetBValue(color)) - GetBValue(kStandardColors[i]);
        long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

char ColorLetter(COLORREF color) {
    return kColorLetters[NearestStandardColor(color)];
}

COLORREF StandardColor(int index) {
    return index >= 0 && index < 16 ? kStandardColors[index] : RGB(0, 0, 0);
}

} // namespace gdi
