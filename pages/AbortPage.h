// The page that ends an abandoned installation.
#pragma once

#include "app/SetupPage.h"

class CAbortPage : public CSetupPage {
public:
    explicit CAbortPage(CWnd* parent);

    void Activate(BOOL active) override;
};
