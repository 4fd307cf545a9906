// The transcript's lines for message boxes, beeps and the host's own notes.
#include <host/Machine.h>
#include <host/Transcript.h>

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

class TranscriptTest : public ::testing::Test {
  protected:
    void TearDown() override {
        host::StopTranscript();
        if (host::MachineStarted())
            host::StopMachine();
    }

    std::string Start() {
        std::string path = m_dir / "transcript.txt";
        std::string error;
        EXPECT_TRUE(host::StartTranscript(path, error)) << error;
        return path;
    }

    TempDir m_dir;
};

TEST_F(TranscriptTest, MessageBoxesBeepsAndNotesInOrder) {
    std::string path = Start();
    host::NoteMessageBox("Continue?", "Setup", MB_YESNO | MB_ICONQUESTION, IDYES);
    host::NoteBeep(MB_ICONEXCLAMATION);
    host::NoteMessageBox("Line one\r\nLine two", "Setup", MB_OK, IDOK);
    host::NoteMessageBox("Gone", "", MB_OKCANCEL, 0);
    host::NoteBeep(0x77);
    host::NoteLine("end", "status 0 (finished)", true);
    host::StopTranscript();

    auto lines = Lines(ReadHostFile(path));
    ASSERT_EQ(lines.size(), 6u) << ReadHostFile(path);
    EXPECT_EQ(lines[0], "message: Setup | Continue? -> Yes (0x24)");
    EXPECT_EQ(lines[1], "beep: exclamation");
    EXPECT_EQ(lines[2], "message: Setup | Line one / Line two -> OK (0x0)");
    EXPECT_EQ(lines[3], "message:  | Gone -> none (0x1)");
    EXPECT_EQ(lines[4], "beep: 0x77");
    EXPECT_EQ(lines[5], "end: status 0 (finished)");
}

TEST_F(TranscriptTest, TextIsWrittenInUtf8) {
    TempDir media;
    host::MachineOptions options;
    options.prefix = m_dir / "prefix";
    options.mediaDir = media.path();
    options.language = "JPN";
    std::string error;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;

    std::string path = Start();
    // "ｾｯﾄｱｯﾌﾟ" in code page 932: half-width katakana, one byte each.
    host::NoteMessageBox("\xBE\xAF\xC4\xB1\xAF\xCC\xDF", "\x93\xFA\x96\x7B", MB_OK, IDOK);
    host::StopTranscript();
    EXPECT_EQ(ReadHostFile(path), "message: \xE6\x97\xA5\xE6\x9C\xAC | "
                                  "\xEF\xBD\xBE\xEF\xBD\xAF\xEF\xBE\x84\xEF\xBD\xB1\xEF\xBD\xAF"
                                  "\xEF\xBE\x8C\xEF\xBE\x9F -> OK (0x0)\n");
}

TEST_F(TranscriptTest, NothingIsWrittenWhenStopped) {
    std::string path = Start();
    host::StopTranscript();
    EXPECT_FALSE(host::TranscriptStarted());
    host::NoteBeep(MB_OK);
    host::NoteLine("end", "status 1", true);
    EXPECT_EQ(ReadHostFile(path), "");
}

TEST_F(TranscriptTest, AFileThatCannotBeMadeIsReported) {
    std::string error;
    EXPECT_FALSE(host::StartTranscript(m_dir / "missing/dir/t.txt", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(host::TranscriptStarted());
}

} // namespace
