// Window classes: the built-in ones (dialogs and the standard controls) and those the program
// registers.
#include "user/WindowSystem.h"

#include <cstring>

namespace win {

namespace {

ATOM g_nextAtom = 0xC000;

bool SameName(const std::string& a, LPCSTR b) {
    return lstrcmpiA(a.c_str(), b) == 0;
}

WindowClass* AddClass(const WNDCLASSA& wc, LPCSTR name, bool builtin, ATOM atom) {
    auto cls = std::make_unique<WindowClass>();
    cls->name = name;
    cls->wc = wc;
    cls->wc.lpszClassName = nullptr;
    cls->atom = atom != 0 ? atom : g_nextAtom++;
    cls->builtin = builtin;
    WindowClass* result = cls.get();
    Sys().classes.push_back(std::move(cls));
    result->wc.lpszClassName = result->name.c_str();
    return result;
}

void AddBuiltin(LPCSTR name, WNDPROC proc, int extra, int background, UINT style, ATOM atom = 0) {
    WNDCLASSA wc = {};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extra;
    wc.hbrBackground = background < 0 ? nullptr : reinterpret_cast<HBRUSH>(background + 1);
    AddClass(wc, name, true, atom);
}

LRESULT CALLBACK DefDlgClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefDlgProcA(hwnd, message, wParam, lParam);
}

} // namespace

void RegisterBuiltinClasses() {
    static bool done = false;
    if (done)
        return;
    done = true;
    AddBuiltin("#32769", DesktopProc, 0, COLOR_BACKGROUND, 0, 0x8001);
    AddBuiltin("#32770", DefDlgClassProc, DLGWINDOWEXTRA, COLOR_3DFACE, CS_DBLCLKS | CS_SAVEBITS,
               0x8002);
    AddBuiltin("#32768", MenuPopupProc, 0, COLOR_MENU, CS_SAVEBITS, 0x8000);
    AddBuiltin("Button", ButtonProc, 0, -1, CS_DBLCLKS | CS_PARENTDC);
    AddBuiltin("Edit", EditProc, 0, -1, CS_DBLCLKS | CS_PARENTDC);
    AddBuiltin("Static", StaticProc, 0, -1, CS_DBLCLKS | CS_PARENTDC);
    AddBuiltin("ListBox", ListBoxProc, 0, -1, CS_DBLCLKS | CS_PARENTDC);
    AddBuiltin("ComboBox", ComboBoxProc, 0, -1, CS_DBLCLKS | CS_PARENTDC);
    AddBuiltin("ComboLBox", ComboListProc, 0, -1, CS_DBLCLKS | CS_SAVEBITS);
}

WindowClass* FindClass(LPCSTR name) {
    RegisterBuiltinClasses();
    if (name == nullptr)
        return nullptr;
    System& s = Sys();
    if (IS_INTRESOURCE(name)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
        for (auto& cls : s.classes)
            if (cls->atom == atom)
                return cls.get();
        return nullptr;
    }
    // The program's classes shadow the built-in ones of the same name.
    for (auto it = s.classes.rbegin(); it != s.classes.rend(); ++it)
        if (SameName((*it)->name, name))
            return it->get();
    return nullptr;
}

LRESULT CALLBACK DesktopProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace win

using namespace win;

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (wndClass == nullptr || wndClass->lpszClassName == nullptr ||
        wndClass->lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (IS_INTRESOURCE(wndClass->lpszClassName) || wndClass->lpszClassName[0] == '\0' ||
        wndClass->cbWndExtra < 0 || wndClass->cbWndExtra > 4096 || wndClass->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    RegisterBuiltinClasses();
    for (auto& cls : Sys().classes) {
        if (!cls->builtin && cls->name.size() == strlen(wndClass->lpszClassName) &&
            lstrcmpiA(cls->name.c_str(), wndClass->lpszClassName) == 0) {
            SetLastError(1410); // ERROR_CLASS_ALREADY_EXISTS
            return 0;
        }
    }
    return AddClass(*wndClass, wndClass->lpszClassName, false, 0)->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
    WindowClass* cls = FindClass(className);
    if (cls == nullptr || cls->builtin) {
        SetLastError(1411); // ERROR_CLASS_DOES_NOT_EXIST
        return FALSE;
    }
    if (cls->windows > 0) {
        SetLastError(1412); // ERROR_CLASS_HAS_WINDOWS
        return FALSE;
    }
    auto& classes = Sys().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (it->get() == cls) {
            classes.erase(it);
            break;
        }
    }
    return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE, LPCSTR className, LPWNDCLASSA wndClass) {
    WindowClass* cls = FindClass(className);
    if (cls == nullptr || wndClass == nullptr) {
        SetLastError(1411);
        return FALSE;
    }
    *wndClass = cls->wc;
    return TRUE;
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR className, int maxCount) {
    Window* w = Find(hWnd);
    if (w == nullptr || w->cls == nullptr || className == nullptr || maxCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lstrcpynA(className, w->cls->name.c_str(), maxCount);
    return lstrlenA(className);
}

DWORD WINAPI GetClassLongA(HWND hWnd, int index) {
    return static_cast<DWORD>(GetClassLongPtrA(hWnd, index));
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND hWnd, int index) {
    Window* w = Find(hWnd);
    if (w == nullptr || w->cls == nullptr)
        return 0;
    const WNDCLASSA& wc = w->cls->wc;
    switch (index) {
    case GCLP_HBRBACKGROUND:
        return reinterpret_cast<ULONG_PTR>(wc.hbrBackground);
    case GCLP_HICON:
        return reinterpret_cast<ULONG_PTR>(wc.hIcon);
    case GCL_STYLE:
        return wc.style;
    case GCLP_WNDPROC:
        return reinterpret_cast<ULONG_PTR>(wc.lpfnWndProc);
    case GCL_MENUNAME:
        return reinterpret_cast<ULONG_PTR>(wc.lpszMenuName);
    default:
        return 0;
    }
}
