// The old-style file-open and file-save dialogs. The layout comes from the caller's template
// (OFN_ENABLETEMPLATE) or a built-in one, with the standard control ids: 1090 and 1152 the
// file name, 1120 the files, 1088 the current folder, 1121 the folders, 1089 and 1136 the file
// types, 1091 and 1137 the drives, 1040 read-only, 1038 help. The folder list shows the
// components of the current folder and then its subfolders, drawn by the dialog as a tree:
// each indented by its depth behind an open or a closed folder mark (the items' texts stay the
// plain names). A double click or Enter on one opens it (the process's current directory
// follows, as with the old dialogs). OK returns the current folder, a backslash and the name
// in 1152.
#include "user/Dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

namespace win {

namespace {

constexpr int kFileNameLabel = 1090;
constexpr int kFileName = 1152;
constexpr int kFileList = 1120;
constexpr int kFolderText = 1088;
constexpr int kFolderList = 1121;
constexpr int kTypeLabel = 1089;
constexpr int kTypeCombo = 1136;
constexpr int kDriveLabel = 1091;
constexpr int kDriveCombo = 1137;
constexpr int kReadOnly = 1040;
constexpr int kHelp = 1038;

DWORD g_lastError = 0;

// A folder of the folder list, by the item's data.
struct FolderItem {
    std::string path;
    int depth = 0;     // the drive's root is 0
    bool open = false; // the current folder or one it lies in
};

// The marks of open and closed folders, drawn before the names: characters every code page
// and terminal shows alike.
const char kOpenMark[] = "-";
const char kClosedMark[] = "+";

struct FileDialog {
    LPOPENFILENAMEA ofn = nullptr;
    bool save = false;
    std::string current;              // the folder shown, as the current directory reports it
    std::vector<FolderItem> folders;  // the folder list's items, by item data
    std::vector<std::string> filters; // the patterns of the file types
    WNDPROC folderListProc = nullptr;
};

bool Japanese() {
    return GetACP() == 932;
}

size_t LastBackslash(const std::string& path) {
    size_t found = std::string::npos;
    for (size_t i = 0; i < path.size(); i = NextCharOffset(path, i))
        if (path[i] == '\\')
            found = i;
    return found;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\' && LastBackslash(folder) == folder.size() - 1)
        return folder + name;
    return folder + "\\" + name;
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH + 1] = "";
    DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    if (length == 0 || length >= sizeof buffer)
        return std::string();
    return buffer;
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
}

// "*.txt" against a name, letters without case; "?" is any one character.
bool WildcardMatch(const char* pattern, const char* name) {
    for (; *pattern != '\0'; ++pattern) {
        if (*pattern == '*') {
            while (pattern[1] == '*')
                ++pattern;
            if (pattern[1] == '\0')
                return true;
            for (const char* rest = name; *rest != '\0'; ++rest)
                if (WildcardMatch(pattern + 1, rest))
                    return true;
            // "*.*" takes names without a dot too.
            return strcmp(pattern + 1, ".*") == 0 && strchr(name, '.') == nullptr;
        }
        if (*name == '\0')
            return false;
        char a = *pattern >= 'a' && *pattern <= 'z' ? static_cast<char>(*pattern - 32) : *pattern;
        char b = *name >= 'a' && *name <= 'z' ? static_cast<char>(*name - 32) : *name;
        if (*pattern != '?' && a != b)
            return false;
        ++name;
    }
    return *name == '\0';
}

bool MatchesAny(const std::string& patterns, const char* name) {
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos)
            end = patterns.size();
        std::string one = patterns.substr(start, end - start);
        while (!one.empty() && one.front() == ' ')
            one.erase(one.begin());
        if (!one.empty() && WildcardMatch(one.c_str(), name))
            return true;
        start = end + 1;
    }
    return false;
}

void ListDirectory(const std::string& folder, std::vector<std::string>& folders,
                   std::vector<std::string>& files, const std::string& patterns) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(Join(folder, "*.*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    for (int guard = 0; guard < 100000; ++guard) {
        std::string name = data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..")
                folders.push_back(name);
        } else if (MatchesAny(patterns, name.c_str())) {
            files.push_back(name);
        }
        if (!FindNextFileA(search, &data))
            break;
    }
    FindClose(search);
    std::sort(folders.begin(), folders.end(), LessNoCase);
    std::sort(files.begin(), files.end(), LessNoCase);
}

FileDialog* DialogData(HWND dialog) {
    return reinterpret_cast<FileDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

std::string CurrentPatterns(HWND dialog, FileDialog* fd) {
    LRESULT index = SendDlgItemMessageA(dialog, kTypeCombo, CB_GETCURSEL, 0, 0);
    if (index >= 0 && static_cast<size_t>(index) < fd->filters.size())
        return fd->filters[static_cast<size_t>(index)];
    return fd->filters.empty() ? std::string("*.*") : fd->filters.front();
}

void FillFolder(HWND dialog, FileDialog* fd) {
    SetDlgItemTextA(dialog, kFolderText, fd->current.c_str());
    std::vector<std::string> folders;
    std::vector<std::string> files;
    ListDirectory(fd->current, folders, files, CurrentPatterns(dialog, fd));
    HWND list = GetDlgItem(dialog, kFolderList);
    fd->folders.clear();
    if (list != nullptr) {
        SendMessageA(list, LB_RESETCONTENT, 0, 0);
        // The components of the current folder, from its drive's root down.
        std::string path = fd->current;
        std::vector<std::string> components;
        size_t start = 0;
        if (path.size() >= 3 && path[1] == ':') {
            components.push_back(path.substr(0, 3));
            start = 3;
        }
        std::string partial = components.empty() ? std::string() : components.front();
        while (start < path.size()) {
            size_t end = start;
            while (end < path.size() && path[end] != '\\')
                end = NextCharOffset(path, end);
            if (end > start)
                components.push_back(path.substr(start, end - start));
            start = end + 1;
        }
        std::string built;
        int currentIndex = -1;
        for (size_t i = 0; i < components.size(); ++i) {
            built = i == 0 ? components[i] : Join(built, components[i]);
            fd->folders.push_back({built, static_cast<int>(i), true});
            // Inserted, not added: the list keeps this order even when it sorts.
            LRESULT index = SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(components[i].c_str()));
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                         static_cast<LPARAM>(fd->folders.size() - 1));
            currentIndex = static_cast<int>(index);
        }
        for (const std::string& name : folders) {
            fd->folders.push_back(
                {Join(fd->current, name), static_cast<int>(components.size()), false});
            LRESULT index = SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(name.c_str()));
            SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index),
                         static_cast<LPARAM>(fd->folders.size() - 1));
        }
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(currentIndex), 0);
    }
    if (HWND fileList = GetDlgItem(dialog, kFileList)) {
        SendMessageA(fileList, LB_RESETCONTENT, 0, 0);
        for (const std::string& name : files)
            SendMessageA(fileList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    if (HWND drives = GetDlgItem(dialog, kDriveCombo)) {
        char prefix[3] = {static_cast<char>(fd->current.empty() ? 'c' : fd->current[0]), ':', '\0'};
        CharLowerA(prefix);
        SendMessageA(drives, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(prefix));
    }
}

bool OpenFolder(HWND dialog, FileDialog* fd, const std::string& path) {
    if (!SetCurrentDirectoryA(path.c_str()))
        return false;
    std::string now = CurrentDirectory();
    if (now.empty())
        return false;
    fd->current = now;
    FillFolder(dialog, fd);
    return true;
}

// Opens the folder selected in the folder list; FALSE when that is the folder shown already
// (or nothing is selected).
bool OpenSelectedFolder(HWND dialog, FileDialog* fd) {
    LRESULT index = SendDlgItemMessageA(dialog, kFolderList, LB_GETCURSEL, 0, 0);
    if (index < 0)
        return false;
    LRESULT data =
        SendDlgItemMessageA(dialog, kFolderList, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data < 0 || static_cast<size_t>(data) >= fd->folders.size())
        return false;
    std::string path = fd->folders[static_cast<size_t>(data)].path;
    if (lstrcmpiA(path.c_str(), fd->current.c_str()) == 0)
        return false;
    OpenFolder(dialog, fd, path);
    return true;
}

void FillDrives(HWND dialog) {
    HWND drives = GetDlgItem(dialog, kDriveCombo);
    if (drives == nullptr)
        return;
    SendMessageA(drives, CB_RESETCONTENT, 0, 0);
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i)))
            continue;
        char root[4] = {static_cast<char>('A' + i), ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            continue;
        char name[3] = {static_cast<char>('a' + i), ':', '\0'};
        SendMessageA(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

void FillTypes(HWND dialog, FileDialog* fd) {
    fd->filters.clear();
    HWND types = GetDlgItem(dialog, kTypeCombo);
    const char* p = fd->ofn->lpstrFilter;
    std::vector<std::string> names;
    for (int guard = 0; p != nullptr && *p != '\0' && guard < 256; ++guard) {
        std::string name = p;
        p += name.size() + 1;
        std::string pattern = p;
        if (*p != '\0')
            p += pattern.size() + 1;
        names.push_back(name);
        fd->filters.push_back(pattern.empty() ? std::string("*.*") : pattern);
    }
    if (types == nullptr)
        return;
    SendMessageA(types, CB_RESETCONTENT, 0, 0);
    for (const std::string& name : names)
        SendMessageA(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    DWORD index = fd->ofn->nFilterIndex > 0 ? fd->ofn->nFilterIndex - 1 : 0;
    SendMessageA(types, CB_SETCURSEL, index < names.size() ? index : 0, 0);
}

// Puts the chosen path into the caller's record; FALSE when it does not fit.
bool Deliver(FileDialog* fd, std::string name) {
    OPENFILENAMEA* ofn = fd->ofn;
    size_t dot = name.rfind('.');
    bool hasExtension = dot != std::string::npos && dot > 0;
    if (!hasExtension && ofn->lpstrDefExt != nullptr && *ofn->lpstrDefExt != '\0')
        name += std::string(".") + ofn->lpstrDefExt;
    std::string path = Join(fd->current, name);
    if (path.size() + 1 > ofn->nMaxFile) {
        if (ofn->nMaxFile >= 2) {
            WORD needed = static_cast<WORD>(std::min<size_t>(path.size() + 1, 0xFFFF));
            memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        g_lastError = FNERR_BUFFERTOOSMALL;
        return false;
    }
    memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    size_t offset = path.size() - name.size();
    ofn->nFileOffset = static_cast<WORD>(offset);
    size_t nameDot = name.rfind('.');
    if (nameDot == std::string::npos)
        ofn->nFileExtension = static_cast<WORD>(path.size());
    else if (nameDot + 1 == name.size())
        ofn->nFileExtension = 0;
    else
        ofn->nFileExtension = static_cast<WORD>(offset + nameDot + 1);
    if (ofn->lpstrFileTitle != nullptr && ofn->nMaxFileTitle > 0)
        lstrcpynA(ofn->lpstrFileTitle, name.c_str(), static_cast<int>(ofn->nMaxFileTitle));
    ofn->Flags &= ~static_cast<DWORD>(OFN_READONLY);
    return true;
}

void Accept(HWND dialog, FileDialog* fd) {
    char buffer[MAX_PATH] = "";
    GetDlgItemTextA(dialog, kFileName, buffer, sizeof buffer);
    std::string name = buffer;
    while (!name.empty() && name.front() == ' ')
        name.erase(name.begin());
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    if (name.empty())
        return;
    if (name.find_first_of("*?") != std::string::npos) {
        // A pattern lists the files it names.
        fd->filters.insert(fd->filters.begin(), name);
        SendDlgItemMessageA(dialog, kTypeCombo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        FillFolder(dialog, fd);
        return;
    }
    // A folder typed as the name is opened.
    std::string typed =
        (name.size() >= 2 && name[1] == ':') || name[0] == '\\' ? name : Join(fd->current, name);
    if (IsDirectory(typed)) {
        if (OpenFolder(dialog, fd, typed))
            SetDlgItemTextA(dialog, kFileName, "");
        return;
    }
    size_t slash = LastBackslash(typed);
    if (slash != std::string::npos && typed != Join(fd->current, name)) {
        std::string folder = typed.substr(0, slash == 2 ? 3 : slash);
        if (!OpenFolder(dialog, fd, folder))
            return;
        name = typed.substr(slash + 1);
    }
    DWORD flags = fd->ofn->Flags;
    if ((flags & OFN_FILEMUSTEXIST) && !fd->save &&
        GetFileAttributesA(Join(fd->current, name).c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::string text = Join(fd->current, name);
        MessageBoxA(dialog, text.c_str(), Japanese() ? "\x8AJ\x82\xAD" : "Open",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!Deliver(fd, name)) {
        EndDialog(dialog, IDABORT);
        return;
    }
    EndDialog(dialog, IDOK);
}

// Draws a row of the folder or the file list. The selection is in the highlight colours only
// while its list has the focus, as every focused control is, and grey otherwise: OK still
// acts on it. Folders stand indented by their depth behind their marks.
void DrawListItem(FileDialog* fd, const DRAWITEMSTRUCT* item) {
    HDC hdc = item->hDC;
    RECT row = item->rcItem;
    if ((item->itemState & ODS_SELECTED) && !(item->itemState & ODS_DISABLED)) {
        bool focused = (item->itemState & ODS_FOCUS) != 0;
        SetTextColor(hdc, GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkColor(hdc, GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
        HBRUSH brush = CreateSolidBrush(GetBkColor(hdc));
        FillRect(hdc, &row, brush);
        DeleteObject(brush);
    }
    SetBkMode(hdc, OPAQUE);
    auto index = static_cast<WPARAM>(item->itemID);
    char name[MAX_PATH] = "";
    LRESULT length = SendMessageA(item->hwndItem, LB_GETTEXTLEN, index, 0);
    if (length < 0 || length >= MAX_PATH)
        return;
    SendMessageA(item->hwndItem, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
    std::string shown = name;
    if (item->CtlID == kFolderList && item->itemData < fd->folders.size()) {
        const FolderItem& folder = fd->folders[item->itemData];
        SIZE cell = {0, 0};
        GetTextExtentPoint32A(hdc, " ", 1, &cell);
        int columns = cell.cx > 0 ? static_cast<int>((row.right - row.left) / cell.cx) : 0;
        // A deep folder is indented no further than half the row: its name still shows.
        int indent = std::min(folder.depth, std::max(0, columns / 2 - 2));
        shown = std::string(static_cast<size_t>(indent), ' ') +
                (folder.open ? kOpenMark : kClosedMark) + " " + name;
    }
    DrawTextA(hdc, shown.c_str(), static_cast<int>(shown.size()), &row,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK FolderListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND dialog = GetParent(hwnd);
    FileDialog* fd = dialog ? DialogData(dialog) : nullptr;
    WNDPROC original = fd && fd->folderListProc ? fd->folderListProc : ListBoxProc;
    if (message == WM_GETDLGCODE) {
        LRESULT code = CallWindowProcA(original, hwnd, message, wParam, lParam);
        auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        // Enter opens the folder selected; on the folder shown it is OK.
        if (fd != nullptr && !OpenSelectedFolder(dialog, fd))
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        return 0;
    }
    if (message == WM_CHAR && wParam == '\r')
        return 0;
    return CallWindowProcA(original, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK FileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* fd = reinterpret_cast<FileDialog*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OPENFILENAMEA* ofn = fd->ofn;
        if (ofn->lpstrTitle != nullptr)
            SetWindowTextA(dialog, ofn->lpstrTitle);
        else if (!(ofn->Flags & (OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE)))
            SetWindowTextA(dialog, fd->save ? (Japanese() ? "\x96\xBC\x91O\x82\xF0\x95t\x82\xAF"
                                                            "\x82\xC4\x95\xDB\x91\xB6"
                                                          : "Save As")
                                            : (Japanese() ? "\x8AJ\x82\xAD" : "Open"));
        if (ofn->Flags & OFN_HIDEREADONLY) {
            if (HWND readOnly = GetDlgItem(dialog, kReadOnly)) {
                ShowWindow(readOnly, SW_HIDE);
                EnableWindow(readOnly, FALSE);
            }
        } else {
            CheckDlgButton(dialog, kReadOnly, (ofn->Flags & OFN_READONLY) ? 1 : 0);
        }
        if (!(ofn->Flags & OFN_SHOWHELP)) {
            if (HWND help = GetDlgItem(dialog, kHelp)) {
                ShowWindow(help, SW_HIDE);
                EnableWindow(help, FALSE);
            }
        }
        if (HWND list = GetDlgItem(dialog, kFolderList)) {
            // The dialog draws the folders itself, whatever the template says.
            SetWindowLongA(list, GWL_STYLE,
                           GetWindowLongA(list, GWL_STYLE) | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                               LBS_HASSTRINGS);
            fd->folderListProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FolderListProc)));
        }
        if (HWND files = GetDlgItem(dialog, kFileList))
            SetWindowLongA(files, GWL_STYLE, GetWindowLongA(files, GWL_STYLE) | LBS_NOTIFY);
        // The name the caller gave, without its folder, which is where the dialog opens.
        std::string initial = ofn->lpstrFile ? ofn->lpstrFile : "";
        size_t slash = LastBackslash(initial);
        if (slash != std::string::npos) {
            std::string folder = initial.substr(0, slash == 2 ? 3 : slash);
            if (SetCurrentDirectoryA(folder.c_str()))
                fd->current = CurrentDirectory();
            initial = initial.substr(slash + 1);
        }
        SetDlgItemTextA(dialog, kFileName, initial.c_str());
        FillDrives(dialog);
        FillTypes(dialog, fd);
        FillFolder(dialog, fd);
        HWND first = GetDlgItem(dialog, kFileName);
        if (first == nullptr || !IsWindowVisible(first))
            first = GetDlgItem(dialog, kFolderList);
        if (first != nullptr && IsWindowVisible(first)) {
            if (first == GetDlgItem(dialog, kFileName))
                SendMessageA(first, EM_SETSEL, 0, -1);
            SetFocus(first);
            return FALSE;
        }
        return TRUE;
    }
    case WM_DRAWITEM: {
        FileDialog* fd = DialogData(dialog);
        auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (fd == nullptr || item == nullptr || item->CtlType != ODT_LISTBOX ||
            (item->CtlID != kFolderList && item->CtlID != kFileList))
            return FALSE;
        DrawListItem(fd, item);
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_COMMAND: {
        FileDialog* fd = DialogData(dialog);
        if (fd == nullptr)
            return FALSE;
        WORD id = LOWORD(wParam);
        WORD code = HIWORD(wParam);
        switch (id) {
        case IDOK:
            // A folder highlighted in the list other than the one open is opened first, as
            // the old-style dialog does; OK on the open folder accepts it.
            if (!OpenSelectedFolder(dialog, fd))
                Accept(dialog, fd);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case kFolderList:
            if (code == LBN_DBLCLK)
                OpenSelectedFolder(dialog, fd);
            return TRUE;
        case kFileList:
            if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
                LRESULT index = SendDlgItemMessageA(dialog, kFileList, LB_GETCURSEL, 0, 0);
                char name[MAX_PATH] = "";
                if (index >= 0 && SendDlgItemMessageA(dialog, kFileList, LB_GETTEXTLEN,
                                                      static_cast<WPARAM>(index), 0) < MAX_PATH) {
                    SendDlgItemMessageA(dialog, kFileList, LB_GETTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(name));
                    SetDlgItemTextA(dialog, kFileName, name);
                    if (code == LBN_DBLCLK)
                        Accept(dialog, fd);
                }
            }
            return TRUE;
        case kDriveCombo:
            if (code == CBN_SELCHANGE) {
                LRESULT index = SendDlgItemMessageA(dialog, kDriveCombo, CB_GETCURSEL, 0, 0);
                char drive[16] = "";
                if (index >= 0 && SendDlgItemMessageA(dialog, kDriveCombo, CB_GETLBTEXTLEN,
                                                      static_cast<WPARAM>(index), 0) < 16) {
                    SendDlgItemMessageA(dialog, kDriveCombo, CB_GETLBTEXT,
                                        static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(drive));
                    // The drive's own current directory, else its root.
                    char target[4] = {drive[0], ':', '\0', '\0'};
                    if (!OpenFolder(dialog, fd, target)) {
                        target[2] = '\\';
                        if (!OpenFolder(dialog, fd, target))
                            FillFolder(dialog, fd); // back to the drive shown before
                    }
                }
            }
            return TRUE;
        case kTypeCombo:
            if (code == CBN_SELCHANGE)
                FillFolder(dialog, fd);
            return TRUE;
        default:
            return FALSE;
        }
    }
    default:
        return FALSE;
    }
}

res::DialogItem Item(const char* cls, DWORD style, short x, short y, short cx, short cy, int id,
                     const char* text) {
    res::DialogItem item;
    item.className = cls;
    item.style = WS_CHILD | WS_VISIBLE | style;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = static_cast<DWORD>(static_cast<WORD>(id));
    item.text = text;
    return item;
}

res::DialogTemplate BuiltInTemplate() {
    bool japanese = Japanese();
    res::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    t.cx = 264;
    t.cy = 134;
    t.caption = japanese ? "\x8AJ\x82\xAD" : "Open";
    t.items = {
        Item("Static", SS_LEFT, 6, 6, 90, 8, kFileNameLabel,
             japanese ? "\xCC\xA7\xB2\xD9\x96\xBC(&N):" : "File &name:"),
        Item("Edit", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 6, 16, 90, 12, kFileName, ""),
        Item("ListBox", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_SORT | LBS_NOTIFY, 6, 32, 90, 64,
             kFileList, ""),
        Item("Static", SS_LEFT, 110, 6, 92, 8, -1,
             japanese ? "\xCC\xAB\xD9\xC0\xDE(&F):" : "&Folders:"),
        Item("Static", SS_LEFT | SS_NOPREFIX, 110, 16, 92, 8, kFolderText, ""),
        Item("ListBox", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY, 110, 32, 92, 64,
             kFolderList, ""),
        Item("Static", SS_LEFT, 6, 104, 90, 8, kTypeLabel,
             japanese ? "\xCC\xA7\xB2\xD9\x82\xCC\x8E\xED\x97\xDE(&T):" : "List files of &type:"),
        Item("ComboBox", WS_TABSTOP | CBS_DROPDOWNLIST, 6, 114, 90, 48, kTypeCombo, ""),
        Item("Static", SS_LEFT, 110, 104, 92, 8, kDriveLabel,
             japanese ? "\xC4\xDE\xD7\xB2\xCC\xDE(&V):" : "Dri&ves:"),
        Item("ComboBox", WS_TABSTOP | CBS_DROPDOWNLIST, 110, 114, 92, 64, kDriveCombo, ""),
        Item("Button", WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 208, 6, 52, 14, IDOK, "OK"),
        Item("Button", WS_TABSTOP | BS_PUSHBUTTON, 208, 24, 52, 14, IDCANCEL,
             japanese ? "\xB7\xAC\xDD\xBE\xD9" : "Cancel"),
        Item("Button", WS_TABSTOP | BS_PUSHBUTTON, 208, 46, 52, 14, kHelp,
             japanese ? "\xCD\xD9\xCC\xDF(&H)" : "&Help"),
        Item("Button", WS_TABSTOP | BS_AUTOCHECKBOX, 208, 68, 52, 12, kReadOnly,
             japanese ? "\x93\xC7\x82\xDD\x8E\xE6\x82\xE8\x90\xEA\x97p(&R)" : "&Read only"),
    };
    return t;
}

BOOL RunFileDialog(LPOPENFILENAMEA ofn, bool save) {
    g_lastError = 0;
    if (ofn == nullptr || ofn->lStructSize < OPENFILENAME_SIZE_VERSION_400A) {
        g_lastError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        g_lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    res::DialogTemplate t;
    if (ofn->Flags & OFN_ENABLETEMPLATEHANDLE) {
        const void* data = ofn->hInstance;
        size_t size = data ? res::ResourceBytesAvailable(data) : 0;
        if (data == nullptr || !res::ParseDialogTemplate(data, size ? size : 0x10000, t)) {
            g_lastError = CDERR_LOADRESFAILURE;
            return FALSE;
        }
    } else if (ofn->Flags & OFN_ENABLETEMPLATE) {
        if (!LoadDialogTemplate(ofn->hInstance, ofn->lpTemplateName, t)) {
            g_lastError = CDERR_FINDRESFAILURE;
            return FALSE;
        }
    } else {
        t = BuiltInTemplate();
    }
    // Keep the caller's text within its buffer, whatever it wrote there.
    ofn->lpstrFile[ofn->nMaxFile - 1] = '\0';

    std::string saved = CurrentDirectory();
    FileDialog fd;
    fd.ofn = ofn;
    fd.save = save;
    if (ofn->lpstrInitialDir != nullptr && *ofn->lpstrInitialDir != '\0')
        SetCurrentDirectoryA(ofn->lpstrInitialDir);
    fd.current = CurrentDirectory();
    if (fd.current.empty()) {
        g_lastError = CDERR_INITIALIZATION;
        return FALSE;
    }
    INT_PTR result = RunDialogBox(t, ofn->hInstance, ofn->hwndOwner, FileDialogProc,
                                  reinterpret_cast<LPARAM>(&fd));
    if ((ofn->Flags & OFN_NOCHANGEDIR) && !saved.empty())
        SetCurrentDirectoryA(saved.c_str());
    if (result == -1 && g_lastError == 0)
        g_lastError = CDERR_DIALOGFAILURE;
    return result == IDOK;
}

} // namespace

} // namespace win

using namespace win;

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn) {
    return RunFileDialog(ofn, false);
}

BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn) {
    return RunFileDialog(ofn, true);
}

DWORD WINAPI CommDlgExtendedError() {
    return g_lastError;
}

short WINAPI GetFileTitleA(LPCSTR file, LPSTR title, WORD size) {
    if (file == nullptr)
        return -1;
    std::string path = file;
    size_t slash = LastBackslash(path);
    size_t colon = path.find(':');
    size_t start = slash != std::string::npos   ? slash + 1
                   : colon != std::string::npos ? colon + 1
                                                : 0;
    std::string name = path.substr(start);
    if (name.empty())
        return -1;
    if (title == nullptr || size < name.size() + 1)
        return static_cast<short>(name.size() + 1);
    memcpy(title, name.c_str(), name.size() + 1);
    return 0;
}
