// The resource reader and language libraries: any file is loaded or refused; its strings,
// dialog templates and icons are read within the file, and a dialog made from one of its
// templates is built and destroyed.
#include "user/DialogTemplate.h"
#include "FuzzMachine.h"

#include <windows.h>

namespace {

const UINT kStrings[] = {101,  1000, 1001,  1002,  1003,  1004,  1005,  1006,  1008,
                         1009, 2000, 3000,  3001,  3002,  3003,  3004,  3005,  3006,
                         3007, 3008, 10000, 10004, 10012, 10013, 10014, 10015, 57344};
const WORD kDialogs[] = {100, 101, 102, 110, 111, 112, 113, 1536};

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = fuzz::PutOnMedium("LANG.DLL", data, size);
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library)
        return 0;
    for (UINT id : kStrings) {
        char text[512];
        LoadStringA(library, id, text, sizeof text);
        char small[4];
        LoadStringA(library, id, small, sizeof small);
    }
    for (WORD id : kDialogs) {
        HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(id), RT_DIALOG);
        if (!found)
            continue;
        HGLOBAL loaded = LoadResource(library, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        res::DialogTemplate parsed;
        if (bytes && res::ParseDialogTemplate(bytes, SizeofResource(library, found), parsed)) {
            HWND dialog =
                CreateDialogParamA(library, MAKEINTRESOURCEA(id), nullptr, IgnoreMessages, 0);
            if (dialog)
                DestroyWindow(dialog);
        }
    }
    LoadIconA(library, MAKEINTRESOURCEA(1));
    FreeLibrary(library);
    return 0;
}
