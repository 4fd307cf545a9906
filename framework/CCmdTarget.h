// Objects that receive messages through a message map: windows and the application.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() and lists its handlers between
// BEGIN_MESSAGE_MAP(theClass, baseClass) and END_MESSAGE_MAP(). The entries available are
// those the installer uses:
//   ON_WM_CREATE()        int OnCreate(LPCREATESTRUCTA cs)
//   ON_WM_PAINT()         void OnPaint()
//   ON_WM_SYSCOMMAND()    void OnSysCommand(UINT nID, LPARAM lParam)
//   ON_WM_QUERYDRAGICON() HCURSOR OnQueryDragIcon()
//   ON_WM_SETFOCUS()      void OnSetFocus(CWnd* pOldWnd)
//   ON_BN_CLICKED(id, f)  void f()   (a button's click notification)
//   ON_COMMAND(id, f)     void f()   (a command, from a button, a menu or an accelerator)
// A message no entry of the class or its bases handles goes to the window's default handling.
//
// Each entry carries a small function that casts the target to the class that declared the
// map and calls the handler with the message's arguments unpacked. That keeps handler calls
// type-checked where the map is written, with no casts between member-function types.
#pragma once

#include "CObject.h"

#include <windows.h>

class CCmdTarget;

// Calls one handler: the target, the message's wParam and lParam; returns the message result.
typedef LRESULT (*AFX_PMSGHANDLER)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // 0 ends the table
    UINT nCode;    // WM_COMMAND: the notification code (0 for commands and clicks)
    UINT nID;      // WM_COMMAND: first and last command id
    UINT nLastID;
    AFX_PMSGHANDLER pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
  protected:                                                                                       \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        typedef theClass ThisClass;                                                                \
        typedef baseClass TheBaseClass;                                                            \
        (void)sizeof(ThisClass*); /* a map without entries does not name it otherwise */           \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, 0, nullptr }                                                                        \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};  \
    return &messageMap;                                                                            \
    }

#define ON_WM_CREATE()                                                                             \
    {WM_CREATE, 0, 0, 0, [](CCmdTarget* target, WPARAM, LPARAM lParam) -> LRESULT {                \
         return static_cast<ThisClass*>(target)->OnCreate(                                         \
             reinterpret_cast<LPCREATESTRUCTA>(lParam));                                           \
     }},
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, 0, [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                        \
         static_cast<ThisClass*>(target)->OnPaint();                                               \
         return 0;                                                                                 \
     }},
#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM lParam) -> LRESULT {     \
         static_cast<ThisClass*>(target)->OnSysCommand(static_cast<UINT>(wParam), lParam);         \
         return 0;                                                                                 \
     }},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, 0, [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                \
         return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(target)->OnQueryDragIcon());     \
     }},
#define ON_WM_SETFOCUS()                                                                           \
    {WM_SETFOCUS, 0, 0, 0, [](CCmdTarget* target, WPARAM wParam, LPARAM) -> LRESULT {              \
         static_cast<ThisClass*>(target)->OnSetFocus(                                              \
             CWnd::FromHandle(reinterpret_cast<HWND>(wParam)));                                    \
         return 0;                                                                                 \
     }},
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, 0, (UINT)(id), (UINT)(id), [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {    \
         static_cast<ThisClass*>(target)->memberFxn();                                             \
         return 0;                                                                                 \
     }},
#define ON_BN_CLICKED(id, memberFxn)                                                               \
    {WM_COMMAND, BN_CLICKED, (UINT)(id), (UINT)(id),                                               \
     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                                           \
         static_cast<ThisClass*>(target)->memberFxn();                                             \
         return 0;                                                                                 \
     }},

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

    // The first entry for a message (and, for WM_COMMAND, its code and id) in the maps from
    // this class down to CCmdTarget; null when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message, UINT code, UINT id) const;
};
