#include "DiskPrompt.h"

#include <host/Machine.h>

#include <cctype>
#include <cstdlib>

namespace host {

using detail::ControlKind;
using detail::SceneControl;

bool FindDiskPrompt(const detail::Scene& scene, DiskPrompt& prompt) {
    HWND target = scene.Target();
    const SceneControl* firstLine = nullptr;
    const SceneControl* edit = nullptr;
    int edits = 0;
    for (const SceneControl& control : scene.controls) {
        if (control.parent != target || !control.visible)
            continue;
        if (control.kind == ControlKind::Static && firstLine == nullptr &&
            !detail::ShownText(control).empty())
            firstLine = &control;
        if (control.kind == ControlKind::Edit) {
            edit = &control;
            ++edits;
        }
    }
    if (firstLine == nullptr || edits != 1)
        return false;
    std::string line = firstLine->text;
    size_t lineEnd = line.find_first_of("\r\n");
    if (lineEnd != std::string::npos)
        line.resize(lineEnd);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    size_t digits = line.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(line[digits - 1])))
        --digits;
    if (digits == line.size() || line.size() - digits > 4)
        return false;
    int disk = std::atoi(line.c_str() + digits);

    char editText[MAX_PATH] = "";
    GetWindowTextA(edit->hWnd, editText, sizeof editText);
    if (!std::isalpha(static_cast<unsigned char>(editText[0])) || editText[1] != ':')
        return false;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(editText[0])));
    std::string media = MediaDirWindows();
    bool mediaDrive =
        !media.empty() && std::toupper(static_cast<unsigned char>(media[0])) == letter;
    char root[4] = {letter, ':', '\\', '\0'};
    UINT type = GetDriveTypeA(root);
    if (!mediaDrive && type != DRIVE_REMOVABLE && type != DRIVE_CDROM)
        return false;
    prompt.disk = disk;
    prompt.letter = letter;
    prompt.edit = edit->hWnd;
    return true;
}

} // namespace host
