// What installing one file entry needs of the main window: its directories, the copy page's
// operations and the page switches. The main window implements it.
#pragma once

#include "engine/InstallerWindow.h"

#include "framework/CString.h"

class CCopyContext : public CInstallerWindow {
public:
    // The window's current source, destination and temporary directories.
    virtual CString GetSourceDir() const = 0;
    virtual CString GetDestinationDir() const = 0;
    virtual CString GetTempDir() const = 0;

    // The copy page: the file being copied, the full paths, the overwrite question (IDYES,
    // IDNO or IDCANCEL) and one step of the progress bar.
    virtual void ShowCopyingFile(LPCSTR srcPath) = 0;
    virtual void ShowSourcePath(LPCSTR path) = 0;
    virtual void ShowDestinationPath(LPCSTR path) = 0;
    virtual int AskOverwrite(LPCSTR existingPath, LPCSTR newPath) = 0;
    virtual void StepProgress() = 0;

    // Stops the idle-time installation (clears the application's installation flag).
    virtual void StopInstalling() = 0;
    // Hands the disk number and the directory to propose to the next-disk page and shows it.
    virtual void AskForDisk(int disk, LPCSTR proposedDir) = 0;
    // Shows the abort page.
    virtual void ShowAbortPage() = 0;
};
