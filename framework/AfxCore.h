// Process-wide state of the framework: the application object and the module that
// resources are loaded from.
#pragma once

#include <windows.h>

class CWinApp;

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();
// The module the program runs from.
HINSTANCE AfxGetInstanceHandle();
// The module that strings, dialog templates and icons are loaded from: the program itself
// until a language library is made the resource source.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
