// Objects that receive messages through a message map: windows and the application.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() and lists its handlers between
// BEGIN_MESSAGE_MAP(theClass, baseClass) and END_MESSAGE_MAP(). The entries available are
// those the installer uses:
//   ON_WM_CREATE()        int OnCreate(LPCREATESTRUCTA cs)
//   ON_WM_PAINT()         void OnPaint()
//   ON_WM_SYSCOMMAND()    void OnSysCommand(UINT nID, LPARAM lParam)
//   ON_WM_QUERYDRAGICON() HCURSOR OnQueryDragIcon()
//   ON_BN_CLICKED(id, f)  void f()   (a button's click notification)
//   ON_COMMAND(id, f)     void f()   (a command, from a button, a menu or an accelerator)
// A message no entry of the class or its bases handles goes to the window's default handling.
#pragma once

#include "CObject.h"

#include <windows.h>

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

enum AfxSig : UINT {
    AfxSig_end = 0,
    AfxSig_vv,     // void ()
    AfxSig_is,     // int (LPCREATESTRUCTA)
    AfxSig_vwl,    // void (UINT, LPARAM)
    AfxSig_hv,     // HCURSOR ()
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    AfxSig nSig;
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        (void)sizeof(ThisClass*);                                                                  \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    {0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0}                                                          \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define ON_WM_CREATE()                                                                             \
    {WM_CREATE, 0, 0, 0, AfxSig_is,                                                                \
     (AFX_PMSG) reinterpret_cast<int (CCmdTarget::*)(LPCREATESTRUCTA)>(                            \
         static_cast<int (ThisClass::*)(LPCREATESTRUCTA)>(&ThisClass::OnCreate))},
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, 0, AfxSig_vv,                                                                 \
     (AFX_PMSG) reinterpret_cast<void (CCmdTarget::*)()>(                                          \
         static_cast<void (ThisClass::*)()>(&ThisClass::OnPaint))},
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, 0, AfxSig_vwl,                                                           \
     (AFX_PMSG) reinterpret_cast<void (CCmdTarget::*)(UINT, LPARAM)>(                              \
         static_cast<void (ThisClass::*)(UINT, LPARAM)>(&ThisClass::OnSysCommand))},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0, AfxSig_hv,                                                         \
     (AFX_PMSG) reinterpret_cast<HCURSOR (CCmdTarget::*)()>(                                       \
         static_cast<HCURSOR (ThisClass::*)()>(&ThisClass::OnQueryDragIcon))},
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), AfxSig_vv,                                             \
     (AFX_PMSG) reinterpret_cast<void (CCmdTarget::*)()>(                                          \
         static_cast<void (ThisClass::*)()>(&ThisClass::memberFxn))},
#define ON_BN_CLICKED(id, memberFxn)                                                               \
    {WM_COMMAND, BN_CLICKED, (UINT)(id), (UINT)(id), AfxSig_vv,                                    \
     (AFX_PMSG) reinterpret_cast<void (CCmdTarget::*)()>(                                          \
         static_cast<void (ThisClass::*)()>(&ThisClass::memberFxn))},

class CCmdTarget : public CObject {
public:
    // Looks up the handler for a message in this class's map and its bases' and calls it.
    // TRUE when a handler took the message; *result then holds what it returned.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Routes a WM_COMMAND to an ON_COMMAND or ON_BN_CLICKED entry; TRUE when handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
