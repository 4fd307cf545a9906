// The framework's own window and dialog procedures, shared by the window classes.
#pragma once

#include <windows.h>

class CWnd;

// The procedure of every window attached to an object: the object's WindowProc handles the
// message, and WM_NCDESTROY detaches the object.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// The dialog procedure of every CDialog: at WM_INITDIALOG (lParam: the object) it attaches
// the object, routes the window's messages through AfxWndProc and runs OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Adds or removes the object of a handle in the map of attached windows.
void AfxMapWindow(HWND hWnd, CWnd* wnd);
void AfxUnmapWindow(HWND hWnd);

// The top-level window that owns dialogs and message boxes raised for a window: the window
// itself if it is top-level, else its first parent that is.
HWND AfxTopLevelOwner(HWND hWnd);
// The main window's handle while it exists, else null.
HWND AfxMainWindowHandle();
