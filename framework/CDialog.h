// Dialogs built from templates: modeless with Create, modal with DoModal.
#pragma once

#include "CWnd.h"

class CDialog : public CWnd {
  public:
    CDialog();
    CDialog(UINT idTemplate, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog window from the template in the current resource module as a
    // modeless dialog. FALSE when the template is missing or the window cannot be made.
    virtual BOOL Create(UINT idTemplate, CWnd* parent = nullptr);
    // Runs the dialog modally from the template given to the constructor; returns the value
    // passed to EndDialog, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    // Called once the dialog's controls exist; returning TRUE lets the dialog manager put
    // the focus on the first control that takes it.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // The dialog manager's keyboard handling (Tab, Enter, Esc, mnemonics) for this dialog.
    BOOL IsDialogMessage(LPMSG msg);
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* control);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // A modeless dialog takes the keyboard messages of its controls (Tab, Enter, Esc).
    BOOL PreTranslateMessage(MSG* msg) override;

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    const AFX_MSGMAP* GetMessageMap() const override;

    UINT m_nIDHelp = 0;
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    BOOL m_bModal = FALSE;

  private:
    friend INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL m_bCreateRefused = FALSE; // OnCreate answered -1
};
