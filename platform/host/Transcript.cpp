#include <host/Machine.h>
#include <host/Transcript.h>

#include "user/WindowScene.h"

namespace host {
namespace {

struct TranscriptState {
    std::FILE* stream = nullptr;
    bool ownsStream = false;
    bool failed = false; // a line could not be written
    HWND lastTop = nullptr;
    std::string lastDescription;
};

TranscriptState& State() {
    static TranscriptState state;
    return state;
}

std::function<void()>& BeforeLine() {
    static std::function<void()> hook;
    return hook;
}

std::string ToUtf8(const std::string& ansi) {
    if (!MachineStarted())
        return ansi;
    std::string utf8 = AnsiToUtf8(ansi);
    return utf8.empty() && !ansi.empty() ? ansi : utf8;
}

void WriteLine(const std::string& kind, const std::string& utf8) {
    TranscriptState& state = State();
    if (state.stream == nullptr)
        return;
    if (BeforeLine())
        BeforeLine()();
    std::fputs(kind.c_str(), state.stream);
    std::fputs(": ", state.stream);
    std::fputs(utf8.c_str(), state.stream);
    std::fputc('\n', state.stream);
    if (std::fflush(state.stream) != 0 || std::ferror(state.stream))
        state.failed = true;
}

std::string Flatten(const std::string& text) {
    std::string flat;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            flat += " / ";
        } else {
            flat += c;
        }
    }
    return flat;
}

const char* ButtonName(int result) {
    switch (result) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return "Cancel";
    case IDABORT:
        return "Abort";
    case IDRETRY:
        return "Retry";
    case IDIGNORE:
        return "Ignore";
    case IDYES:
        return "Yes";
    case IDNO:
        return "No";
    case 10:
        return "Try Again";
    case 11:
        return "Continue";
    default:
        return "none";
    }
}

const char* BeepName(UINT type) {
    switch (type) {
    case MB_OK:
        return "default";
    case MB_ICONHAND:
        return "hand";
    case MB_ICONQUESTION:
        return "question";
    case MB_ICONEXCLAMATION:
        return "exclamation";
    case MB_ICONASTERISK:
        return "asterisk";
    case 0xFFFFFFFF:
        return "simple";
    default:
        return nullptr;
    }
}

} // namespace

void StartTranscript(std::FILE* stream) {
    StopTranscript();
    TranscriptState& state = State();
    state.stream = stream;
    state.ownsStream = false;
}

bool StartTranscript(const std::string& path, std::string& error) {
    StopTranscript();
    // Binary: lines end in "\n" alone on every system, so that transcripts compare.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write the transcript " + path;
        return false;
    }
    TranscriptState& state = State();
    state.stream = file;
    state.ownsStream = true;
    return true;
}

bool StopTranscript() {
    TranscriptState& state = State();
    bool written = !state.failed;
    if (state.stream != nullptr) {
        if (std::fflush(state.stream) != 0 || std::ferror(state.stream))
            written = false;
        if (state.ownsStream && std::fclose(state.stream) != 0)
            written = false;
    }
    state = TranscriptState();
    return written;
}

void SetBeforeTranscriptLine(std::function<void()> hook) {
    BeforeLine() = std::move(hook);
}

bool TranscriptStarted() {
    return State().stream != nullptr;
}

void NoteMessageBox(LPCSTR text, LPCSTR caption, UINT type, int result) {
    std::string line = Flatten(caption ? caption : "") + " | " + Flatten(text ? text : "");
    char typeText[16];
    std::snprintf(typeText, sizeof typeText, " (0x%X)", type);
    WriteLine("message", ToUtf8(line) + " -> " + ButtonName(result) + typeText);
    // Whatever shows after the box is recorded anew, even if it looks as before.
    State().lastDescription.clear();
    State().lastTop = nullptr;
}

void NoteBeep(UINT type) {
    const char* name = BeepName(type);
    if (name != nullptr) {
        WriteLine("beep", name);
    } else {
        char number[16];
        std::snprintf(number, sizeof number, "0x%X", type);
        WriteLine("beep", number);
    }
}

void NoteSettled() {
    TranscriptState& state = State();
    if (state.stream == nullptr)
        return;
    HWND top = detail::ActiveTopWindow();
    if (top == nullptr)
        return;
    detail::Scene scene = detail::ReadScene(top);
    if (scene.messageBox)
        return; // its line is written when it is answered
    std::string description = detail::DescribeScene(scene);
    if (top == state.lastTop && description == state.lastDescription)
        return;
    state.lastTop = top;
    state.lastDescription = description;
    WriteLine(scene.page ? "page" : "dialog", ToUtf8(description));
}

void NoteLine(const std::string& kind, const std::string& text, bool utf8) {
    WriteLine(kind, utf8 ? text : ToUtf8(Flatten(text)));
}

std::string DescribeWindow(HWND hWnd) {
    return detail::DescribeScene(detail::ReadScene(hWnd));
}

} // namespace host
