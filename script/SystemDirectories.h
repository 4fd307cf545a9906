// The Windows and System directories that start-up records for the rest of the run. The
// application object carries them by deriving from this class beside the framework's
// application class.
#pragma once

#include "framework/CString.h"

class CSystemDirectories {
  public:
    CString m_strWindowsDir;
    CString m_strSystemDir;
};
