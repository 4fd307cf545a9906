// A static control.
#pragma once

#include "CWnd.h"

class CStatic : public CWnd {
public:
    CStatic() = default;
    HICON SetIcon(HICON icon);
    HICON GetIcon() const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;
};
