// Recognising a page that asks for the next disk of a multi-disk set, by what it shows: the
// automation (--disk in unattended runs) and the terminal's status line both act on it.
#pragma once

#include "user/WindowScene.h"

namespace host {

struct DiskPrompt {
    int disk = 0;        // the number the page asks for
    char letter = 0;     // the drive the disk goes into (upper case)
    HWND edit = nullptr; // the page's one edit, which holds the disk's directory
};

// The disk rule (docs/automation.md): a dialog whose first line ends in a number N, with one
// edit that holds a path on the medium's drive or on a removable or CD-ROM drive.
bool FindDiskPrompt(const detail::Scene& scene, DiskPrompt& prompt);

} // namespace host
