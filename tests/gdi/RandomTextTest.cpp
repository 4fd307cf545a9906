// Any bytes, in any rectangle, with any format: drawing never corrupts the screen. Each
// double-byte character keeps its two cells, so every row still stands for exactly the
// screen's width.
#include "ScreenFixture.h"

#include <random>

namespace {

// The cells a row of the dump stands for: each character of the code page takes as many cells
// as it has bytes there; line drawing takes one.
int CellWidth(const std::string& utf8) {
    int width = 0;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        std::string character = utf8.substr(i, length);
        i += length;
        bool lineDrawing = length == 3 && c == 0xE2 &&
                           (static_cast<unsigned char>(character[1]) == 0x94 ||
                            static_cast<unsigned char>(character[1]) == 0x95 ||
                            static_cast<unsigned char>(character[1]) == 0x96);
        width += lineDrawing ? 1 : static_cast<int>(host::Utf8ToAnsi(character).size());
    }
    return width;
}

void DrawRandomly(HDC hdc, unsigned seed) {
    std::mt19937 random(seed);
    auto number = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int round = 0; round < 300; ++round) {
        std::string text(static_cast<size_t>(number(0, 40)), ' ');
        for (char& c : text)
            c = static_cast<char>(number(number(0, 1) ? 0x81 : 0x20, 0xFF));
        RECT rect{number(-100, 700), number(-100, 450), number(-100, 700), number(-100, 450)};
        UINT format = static_cast<UINT>(number(0, 0x3FFF)) & ~static_cast<UINT>(DT_CALCRECT);
        SetTextAlign(hdc, static_cast<UINT>(number(0, 31)));
        switch (number(0, 3)) {
        case 0:
            DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &rect, format);
            break;
        case 1:
            ExtTextOutA(hdc, rect.left, rect.top, static_cast<UINT>(number(0, 7)), &rect,
                        text.data(), static_cast<UINT>(text.size()), nullptr);
            break;
        case 2:
            DrawEdge(hdc, &rect, EDGE_SUNKEN, static_cast<UINT>(number(0, 0xFFFF)));
            break;
        default:
            TextOutA(hdc, rect.left, rect.top, text.data(), static_cast<int>(text.size()));
            break;
        }
    }
}

} // namespace

// A mark in the last column of every row keeps the rows from being trimmed.
class RandomDrawingTest : public ScreenTest {
  protected:
    void EndRows() {
        SetTextAlign(m_hdc, TA_LEFT | TA_TOP);
        for (int row = 0; row < 25; ++row)
            TextOutA(m_hdc, 79 * 8, row * 16, "|", 1);
    }
};

class JapaneseRandomDrawingTest : public RandomDrawingTest {
  protected:
    JapaneseRandomDrawingTest() { m_language = "JPN"; }
};

TEST_F(RandomDrawingTest, InCodePage1252) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        DrawRandomly(m_hdc, seed);
        EndRows();
        std::vector<std::string> rows = Lines(host::DumpScreen());
        ASSERT_EQ(rows.size(), 25u);
        for (const std::string& row : rows)
            EXPECT_EQ(CellWidth(row), 80) << row;
    }
}

TEST_F(JapaneseRandomDrawingTest, InCodePage932) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        DrawRandomly(m_hdc, seed);
        EndRows();
        std::vector<std::string> rows = Lines(host::DumpScreen());
        ASSERT_EQ(rows.size(), 25u);
        for (const std::string& row : rows) {
            EXPECT_EQ(CellWidth(row), 80) << row;
            EXPECT_EQ(row.find('\0'), std::string::npos);
        }
    }
}
