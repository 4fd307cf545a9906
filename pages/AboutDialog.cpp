#include "pages/AboutDialog.h"

#include "resources/resource.h"

CAboutDialog::CAboutDialog() : CDialog(IDD_ABOUTBOX, nullptr) {}
