// The recorder of message boxes on the emulated machine: the headless front end, with a silent
// automation that presses each box's default button, and the transcript.
#include "MachineFixture.h"

MessageRecorder::MessageRecorder(const std::string& transcriptPath) : m_path(transcriptPath) {
    std::string error;
    bool started = host::StartTranscript(m_path, error) &&
                   host::StartFrontend(host::FrontendKind::Headless, error);
    EXPECT_TRUE(started) << error;
    host::AutomationOptions options;
    options.silent = true;
    host::StartAutomation(options);
    host::SetAutomation([] {
        std::string reason;
        return host::Act(reason) == host::AutomationResult::Acted;
    });
}

void MessageRecorder::Stop() {
    if (m_stopped)
        return;
    m_stopped = true;
    host::SetAutomation({});
    host::StopAutomation();
    host::StopFrontend();
    host::StopTranscript();
}
