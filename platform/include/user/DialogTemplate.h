// Dialog templates and icons as the window system reads them: the binary layouts of the
// resource formats, decoded into plain structures. Internal to the native platform layer.
#pragma once

#include <gdi/GdiInternal.h>
#include <windows.h>

#include <string>
#include <vector>

namespace res {

// One control of a dialog template.
struct DialogItem {
    DWORD style = 0, exStyle = 0, helpId = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0; // a 16-bit id in a plain template; -1 comes out as 0xFFFF there
    // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" for the predefined class
    // atoms 0x80 to 0x85, else the class name (an unknown atom gives "#<number>").
    std::string className;
    std::string text; // ANSI; empty when the text is an ordinal
    bool textIsOrdinal = false;
    WORD textOrdinal = 0; // such as the icon id of an SS_ICON static
    std::vector<BYTE> creationData;
};

// A DLGTEMPLATE or DLGTEMPLATEEX.
struct DialogTemplate {
    bool extended = false;
    DWORD style = 0, exStyle = 0, helpId = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    bool menuIsOrdinal = false;
    WORD menuOrdinal = 0;
    std::string menu; // empty: no menu
    bool classIsOrdinal = false;
    WORD classOrdinal = 0;
    std::string className; // empty: the standard dialog class
    std::string caption;
    // The font, present only with DS_SETFONT (0x40) in the style; pointSize 0 otherwise.
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::string faceName;
    std::vector<DialogItem> items;
};

// Parses a DLGTEMPLATE or DLGTEMPLATEEX of size bytes. FALSE for damaged or truncated data;
// never reads past size. Texts are converted to the ANSI code page of the running machine.
bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out);

// The bytes from p to the end of the loaded resource that contains p (for
// CreateDialogIndirectParamA, which gets no size), or 0 when p lies in no loaded resource.
size_t ResourceBytesAvailable(const void* p);

// The picture behind an icon handle, as the GDI draws it.
using IconImage = gdi::IconImage;
using gdi::kTransparentPixel;

// The image of an icon that comes nearest to width x height (icons carry several sizes).
// FALSE when the handle is not an icon that LoadIconA handed out.
bool GetIconImage(HICON icon, IconImage& out, int width = 32, int height = 32);

} // namespace res
