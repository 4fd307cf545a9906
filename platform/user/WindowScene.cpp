#include "user/WindowScene.h"

#include <cstring>
#include <strings.h>

namespace host::detail {
namespace {

std::string TextOf(HWND hWnd) {
    int length = GetWindowTextLengthA(hWnd);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

ControlKind KindOf(HWND hWnd, LONG style) {
    char name[64] = "";
    GetClassNameA(hWnd, name, sizeof name);
    if (strcasecmp(name, "Static") == 0)
        return ControlKind::Static;
    if (strcasecmp(name, "Edit") == 0)
        return ControlKind::Edit;
    if (strcasecmp(name, "ListBox") == 0 || strcasecmp(name, "ComboLBox") == 0)
        return ControlKind::ListBox;
    if (strcasecmp(name, "ComboBox") == 0)
        return ControlKind::ComboBox;
    if (strcasecmp(name, "#32770") == 0)
        return ControlKind::Dialog;
    if (strcasecmp(name, "Button") == 0) {
        switch (style & 0x0F) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
        case BS_OWNERDRAW:
            return ControlKind::PushButton;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
            return ControlKind::CheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return ControlKind::RadioButton;
        case BS_GROUPBOX:
            return ControlKind::GroupBox;
        default:
            return ControlKind::Other;
        }
    }
    return ControlKind::Other;
}

struct ChildList {
    HWND parent;
    std::vector<HWND> children;
};

BOOL CALLBACK CollectDirectChild(HWND hWnd, LPARAM lParam) {
    auto* list = reinterpret_cast<ChildList*>(lParam);
    if (GetParent(hWnd) == list->parent)
        list->children.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> DirectChildren(HWND parent) {
    ChildList list{parent, {}};
    EnumChildWindows(parent, &CollectDirectChild, reinterpret_cast<LPARAM>(&list));
    return list.children;
}

SceneControl ReadControl(HWND hWnd, HWND parent) {
    SceneControl control;
    control.hWnd = hWnd;
    control.parent = parent;
    control.id = GetDlgCtrlID(hWnd);
    control.style = GetWindowLongA(hWnd, GWL_STYLE);
    control.kind = KindOf(hWnd, control.style);
    control.visible = IsWindowVisible(hWnd) != FALSE;
    control.enabled = IsWindowEnabled(hWnd) != FALSE;
    if (control.kind != ControlKind::ListBox)
        control.text = TextOf(hWnd);
    return control;
}

// A message box, as the system makes one: a dialog with one text (a static with id 0xFFFF),
// at most one icon (id 20) and push buttons with the standard answer ids, nothing else. A
// program's own dialog has more texts (the about box has two) or ids of its own.
bool LooksLikeMessageBox(const Scene& scene) {
    char name[64] = "";
    GetClassNameA(scene.top, name, sizeof name);
    if (strcasecmp(name, "#32770") != 0 || scene.page != nullptr)
        return false;
    int buttons = 0;
    int texts = 0;
    int icons = 0;
    for (const SceneControl& control : scene.controls) {
        int id = control.id & 0xFFFF;
        switch (control.kind) {
        case ControlKind::PushButton:
            if (id < IDOK || (id > IDNO && id != 10 && id != 11))
                return false;
            ++buttons;
            break;
        case ControlKind::Static:
            if ((control.style & SS_TYPEMASK) == SS_ICON) {
                if (id != 20 && id != 0x440 && id != 0xFFFF)
                    return false;
                ++icons;
            } else {
                if (id != 0xFFFF)
                    return false;
                ++texts;
            }
            break;
        default:
            return false;
        }
    }
    return buttons > 0 && texts == 1 && icons <= 1;
}

} // namespace

const SceneControl* Scene::Find(int id, HWND parent) const {
    for (const SceneControl& control : controls) {
        if (control.parent == parent && control.id == id)
            return &control;
    }
    return nullptr;
}

const SceneControl* Scene::FindShown(int id) const {
    for (HWND parent : {page, top}) {
        if (parent == nullptr)
            continue;
        const SceneControl* control = Find(id, parent);
        if (control != nullptr && control->visible)
            return control;
    }
    return nullptr;
}

namespace {

// A named callback: on 32-bit Windows an enumeration callback must use the system's calling
// convention, which a lambda cannot be given.
BOOL CALLBACK FindFirstVisible(HWND candidate, LPARAM lParam) {
    if (!IsWindowVisible(candidate))
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = candidate;
    return FALSE;
}

} // namespace

HWND ActiveTopWindow() {
    HWND hWnd = GetActiveWindow();
    if (hWnd == nullptr)
        hWnd = GetForegroundWindow();
    if (hWnd != nullptr && IsWindow(hWnd) && IsWindowVisible(hWnd))
        return hWnd;
    HWND found = nullptr;
    EnumWindows(&FindFirstVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

Scene ReadScene(HWND top) {
    Scene scene;
    scene.top = top;
    if (top == nullptr || !IsWindow(top))
        return scene;
    scene.caption = TextOf(top);
    std::vector<HWND> pages;
    for (HWND child : DirectChildren(top)) {
        SceneControl control = ReadControl(child, top);
        if (control.kind == ControlKind::Dialog) {
            if (control.visible)
                pages.push_back(child);
            continue;
        }
        scene.controls.push_back(control);
    }
    for (HWND page : pages) {
        if (scene.page == nullptr && IsWindowEnabled(page))
            scene.page = page;
        for (HWND child : DirectChildren(page))
            scene.controls.push_back(ReadControl(child, page));
    }
    if (scene.page == nullptr && !pages.empty())
        scene.page = pages.front();
    scene.messageBox = LooksLikeMessageBox(scene);
    return scene;
}

std::string WithoutMnemonic(const std::string& label) {
    std::string result;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&') {
            if (i + 1 < label.size() && label[i + 1] == '&') {
                result += '&';
                ++i;
            }
            continue;
        }
        result += label[i];
    }
    return result;
}

std::string ShownText(const SceneControl& control) {
    if (!control.visible)
        return std::string();
    switch (control.kind) {
    case ControlKind::Static: {
        LONG type = control.style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE &&
            type != SS_LEFTNOWORDWRAP)
            return std::string(); // icons, frames and pictures show no text
        if (control.style & SS_NOPREFIX)
            return control.text;
        return WithoutMnemonic(control.text);
    }
    case ControlKind::Edit:
        if (control.style & ES_PASSWORD)
            return "[***]";
        return "[" + control.text + "]";
    case ControlKind::PushButton:
        return "(" + WithoutMnemonic(control.text) + ")";
    case ControlKind::CheckBox:
    case ControlKind::RadioButton: {
        LRESULT state = SendMessageA(control.hWnd, BM_GETCHECK, 0, 0);
        return std::string(state == BST_CHECKED ? "[x] " : "[ ] ") + WithoutMnemonic(control.text);
    }
    case ControlKind::GroupBox:
        return WithoutMnemonic(control.text);
    case ControlKind::ListBox: {
        LRESULT index = SendMessageA(control.hWnd, LB_GETCURSEL, 0, 0);
        if (index < 0)
            return "{}";
        LRESULT length = SendMessageA(control.hWnd, LB_GETTEXTLEN, index, 0);
        if (length < 0 || length > 4096)
            return "{}";
        std::string item(static_cast<size_t>(length) + 1, '\0');
        LRESULT copied =
            SendMessageA(control.hWnd, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&item[0]));
        item.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        return "{" + item + "}";
    }
    case ControlKind::ComboBox:
        return "{" + control.text + "}";
    default:
        return std::string();
    }
}

std::string DescribeScene(const Scene& scene) {
    std::string line = scene.caption;
    for (const SceneControl& control : scene.controls) {
        std::string text = ShownText(control);
        if (text.empty())
            continue;
        line += " | ";
        line += text;
    }
    // One event, one line: line breaks inside texts become " / ".
    std::string flat;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n')
                ++i;
            flat += " / ";
        } else if (c == '\t') {
            flat += ' ';
        } else {
            flat += c;
        }
    }
    return flat;
}

} // namespace host::detail
