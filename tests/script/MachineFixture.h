// A test that runs on a freshly made emulated machine: a prefix and a medium (drive D:, with
// SETUP.EXE) in a temporary directory of their own.
#pragma once

#include "TempDir.h"

#include <host/Automation.h>
#include <host/Frontend.h>
#include <host/Machine.h>
#include <host/Transcript.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Answers the message boxes shown while it lives, as a person who presses the default button,
// and records them in a transcript. Natively it runs the headless front end with a silent
// automation (MessageRecorder.cpp); the tests compiled for Windows answer the system's boxes
// themselves (tests/windows-build/fixture/MessageRecorder.cpp).
class MessageRecorder {
  public:
    explicit MessageRecorder(const std::string& transcriptPath);
    ~MessageRecorder() { Stop(); }

    // The "message:" lines of the transcript, without their kind: "CAPTION | TEXT -> BUTTON
    // (0xTYPE)", in UTF-8.
    std::vector<std::string> Messages() {
        Stop();
        std::vector<std::string> messages;
        std::string text = ReadHostFile(m_path);
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(at, end - at);
            if (line.rfind("message: ", 0) == 0)
                messages.push_back(line.substr(9));
            at = end + 1;
        }
        return messages;
    }

  private:
    void Stop();

    std::string m_path;
    bool m_stopped = false;
};

class MachineTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (host::MachineStarted())
            host::StopMachine();
    }

    // Starts the machine; the test fails when it cannot.
    void StartMachine(host::OsKind os = host::OsKind::Nt4, host::PcKind pc = host::PcKind::PcAt,
                      const std::string& language = "ENU") {
        WriteHostFile(MediaDir() + "/SETUP.EXE", "MZ");
        host::MachineOptions options;
        options.prefix = m_temp / "prefix";
        options.mediaDir = MediaDir();
        options.os = os;
        options.pc = pc;
        options.language = language;
        // An English machine is a Western one (code page 1252); a Japanese one keeps 932.
        options.codePage = language == "JPN" ? 932 : 1252;
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
    }

    std::string MediaDir() const { return m_temp / "media"; }
    // Writes a file onto the medium (D:\name).
    void WriteMediaFile(const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(WriteHostFile(MediaDir() + "/" + name, bytes));
    }

    TempDir m_temp;
};
