// What the installation engine needs of the main window. The main window implements it;
// the engine never sees the window's classes.
#pragma once

#include <windows.h>

class CInstallerWindow {
public:
    virtual ~CInstallerWindow() = default;

    // Shows a string-table message through the current page; returns the button pressed.
    virtual int MessageBoxId(UINT idText, LPCSTR caption, UINT type) = 0;
};
