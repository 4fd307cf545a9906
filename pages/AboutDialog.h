// The about box: product line, icon and copyright.
#pragma once

#include "framework/CDialog.h"

class CAboutDialog : public CDialog {
public:
    CAboutDialog();
};
