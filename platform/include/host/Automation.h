// The automation: acts like a user whenever the program waits for input, through the window
// API only. It looks at the active window and its current page and decides from the options
// and the answers file (format in docs/automation.md) what to type and which button to press.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace host {

// One action of an answer.
struct AnswerAction {
    enum class Kind {
        Type,   // set the text of control id to text
        Press,  // press a button: by id, by label (text), or the default button (id 0, no text)
        Select, // select the item text in list or combo box id, as a click would
        Open,   // select the item text in list box id and open it, as a double click would
        Insert, // put the host directory text into the drive the disk prompt shown asks about
    };
    Kind kind = Kind::Press;
    int id = 0;       // control id; 0 with empty text for "press default"
    std::string text; // ANSI; for Insert a host path, as written
};

// One answer: the window it is meant for and what to do there.
struct Answer {
    int line = 0;        // line in the answers file, for messages
    bool always = false; // not used up: applies whenever it matches
    bool anyWindow = false;
    std::string match; // ANSI: a substring of the caption or of a text the window shows
    std::vector<AnswerAction> actions;
};

// Parses an answers file's text (UTF-8; converted to ANSI with Utf8ToAnsi when convert is
// set, else kept as it is). FALSE with "line N: ..." in error on a malformed line.
bool ParseAnswers(const std::string& text, bool convert, std::vector<Answer>& answers,
                  std::string& error);

enum class OverwriteRule { Ask, Yes, No };

struct AutomationOptions {
    // Accept every dialog as proposed (its default button) when no answer applies.
    bool silent = false;
    // Edit ids and the texts typed into them when the first dialog that has any of these
    // edits is accepted (ANSI).
    std::vector<std::pair<int, std::string>> fields;
    // The answer to a dialog with Yes (6) and No (7) buttons that is not a message box.
    OverwriteRule overwrite = OverwriteRule::Yes;
    std::vector<Answer> answers;
    // Host directories of the disks of a multi-disk set, by number (--disk N=DIR).
    std::map<int, std::string> disks;
    // How often one action may be taken on one window state before the run is stopped.
    int repeatLimit = 50;
};

// What the automation decided at one wait.
enum class AutomationResult {
    Acted,    // it typed or pressed something
    NoAnswer, // nothing to do for this window: the run cannot go on
    Looping,  // the same action on the same window came back too often
};

// Prepares the automation; Act() is then called at every wait.
void StartAutomation(const AutomationOptions& options);
void StopAutomation();
// Looks at the active window and acts. On NoAnswer and Looping, reason says what it waited
// at (UTF-8) and a transcript line has been written.
AutomationResult Act(std::string& reason);

// Whether Act would act on the active window now, without acting or noting anything. A host
// that cannot tell for sure that the program waits gives a window without an answer more
// time to become what the program waits at.
bool HasAnswer();

// Acts only when the answers file's next answer (or one under way) names the window shown
// now: the program is busy and not waiting, so nothing else may be pressed for it.
void PollAnswers();

// Convenience for the host program: the function to hand to SetAutomation. On NoAnswer or
// Looping it reports on standard error, stops the front end and the machine and ends the
// process with status 1, so that an unattended run never waits for a person.
bool ActOrStop();

} // namespace host
