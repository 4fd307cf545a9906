// A fresh 80 x 25 screen with the headless front end and a device context for the whole
// screen, on an English (code page 1252) or a Japanese (code page 932) machine.
#pragma once

#include "TempDir.h"

#include <gtest/gtest.h>
#include <host/Frontend.h>
#include <host/Machine.h>
#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

class ScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::MachineOptions options;
        options.prefix = m_prefix.path();
        options.mediaDir = m_media.path();
        options.language = m_language;
        options.codePage = m_language == "JPN" ? 932 : 1252;
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
        ASSERT_TRUE(host::StartFrontend(host::FrontendKind::Headless, error)) << error;
        m_hdc = GetDC(nullptr);
        ASSERT_NE(m_hdc, nullptr);
    }
    void TearDown() override {
        if (m_hdc)
            ReleaseDC(nullptr, m_hdc);
        host::StopFrontend();
        host::StopMachine();
    }

    // A row of the screen as text, trailing blanks trimmed.
    static std::string Row(int row) {
        return Lines(host::DumpScreen()).at(static_cast<size_t>(row));
    }
    // The colour letters of a cell (see host::DumpScreenWithColors).
    static char Foreground(int column, int row) {
        return ColorLine(row, 1).at(static_cast<size_t>(column));
    }
    static char Background(int column, int row) {
        return ColorLine(row, 2).at(static_cast<size_t>(column));
    }
    static std::string Underlines(int column, int count, int row) {
        return ColorLine(row, 3).substr(static_cast<size_t>(column), static_cast<size_t>(count));
    }
    // The colour letters of a span of cells of a row.
    static std::string Foregrounds(int column, int count, int row) {
        return ColorLine(row, 1).substr(static_cast<size_t>(column), static_cast<size_t>(count));
    }
    static std::string Backgrounds(int column, int count, int row) {
        return ColorLine(row, 2).substr(static_cast<size_t>(column), static_cast<size_t>(count));
    }
    // Fills the screen with one colour, so that what is drawn stands out.
    void Clear(COLORREF color = RGB(0, 0, 0)) {
        HBRUSH brush = CreateSolidBrush(color);
        RECT all{0, 0, 640, 400};
        FillRect(m_hdc, &all, brush);
        DeleteObject(brush);
    }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }
    static std::string ColorLine(int row, int which) {
        return Lines(host::DumpScreenWithColors()).at(static_cast<size_t>(row * 4 + which));
    }

    TempDir m_prefix;
    TempDir m_media;
    std::string m_language = "ENU";
    HDC m_hdc = nullptr;
};

class JapaneseScreenTest : public ScreenTest {
  protected:
    JapaneseScreenTest() { m_language = "JPN"; }
};
