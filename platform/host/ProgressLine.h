// The progress line of an unattended run on a terminal: one line on standard error, rewritten
// in place, with the files done of all, the percentage and the file being copied, as read from
// the copy page the program shows.
#pragma once

namespace host {

// The copy page's controls, by id: the installer's own, given by the host program.
struct ProgressControls {
    int fileLine = 0;        // "copying FILE"
    int sourceLine = 0;      // the source path
    int destinationLine = 0; // the destination path
    int bar = 0;             // the progress bar, which shows "N %"
};

// Starts the line; the caller has made sure that standard error is a terminal.
void StartProgressLine(const ProgressControls& controls);
// Looks at the page shown and rewrites the line when what it says changed. betweenFiles: the
// program is between two files (it polls for input), so the page shows a file finished.
void UpdateProgressLine(bool betweenFiles = false);
// Blanks the line, so that what is said next starts at the left margin; the line stays off.
void ClearProgressLine();
// Blanks the line for a moment: the next update shows it again (the transcript writes to the
// same terminal).
void HideProgressLine();

} // namespace host
