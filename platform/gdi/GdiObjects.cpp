// Brushes, pens and fonts, the stock objects and the system colours.
#include "GdiDevice.h"

#include <cstring>
#include <unordered_set>

namespace gdi {
namespace {

std::unordered_set<const Object*>& LiveObjects() {
    static std::unordered_set<const Object*> objects;
    return objects;
}

constexpr int kSystemColorCount = 25;

const COLORREF kSystemColors[kSystemColorCount] = {
    RGB(192, 192, 192), // COLOR_SCROLLBAR
    RGB(0, 128, 128),   // COLOR_BACKGROUND
    RGB(0, 0, 128),     // COLOR_ACTIVECAPTION
    RGB(128, 128, 128), // COLOR_INACTIVECAPTION
    RGB(192, 192, 192), // COLOR_MENU
    RGB(255, 255, 255), // COLOR_WINDOW
    RGB(0, 0, 0),       // COLOR_WINDOWFRAME
    RGB(0, 0, 0),       // COLOR_MENUTEXT
    RGB(0, 0, 0),       // COLOR_WINDOWTEXT
    RGB(255, 255, 255), // COLOR_CAPTIONTEXT
    RGB(192, 192, 192), // COLOR_ACTIVEBORDER
    RGB(192, 192, 192), // COLOR_INACTIVEBORDER
    RGB(128, 128, 128), // COLOR_APPWORKSPACE
    RGB(0, 0, 128),     // COLOR_HIGHLIGHT
    RGB(255, 255, 255), // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192), // COLOR_BTNFACE
    RGB(128, 128, 128), // COLOR_BTNSHADOW
    RGB(128, 128, 128), // COLOR_GRAYTEXT
    RGB(0, 0, 0),       // COLOR_BTNTEXT
    RGB(192, 192, 192), // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255), // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),       // COLOR_3DDKSHADOW
    RGB(223, 223, 223), // COLOR_3DLIGHT
    RGB(0, 0, 0),       // COLOR_INFOTEXT
    RGB(255, 255, 225), // COLOR_INFOBK
};

Brush* MakeStockBrush(UINT style, COLORREF color) {
    auto* brush = new Brush;
    brush->style = style;
    brush->color = color;
    brush->stock = true;
    RegisterObject(brush);
    return brush;
}

Pen* MakeStockPen(UINT style, COLORREF color) {
    auto* pen = new Pen;
    pen->style = style;
    pen->color = color;
    pen->stock = true;
    RegisterObject(pen);
    return pen;
}

Font* MakeStockFont(const char* face, LONG weight, BYTE pitch) {
    auto* font = new Font;
    font->logFont.lfHeight = kCellHeight;
    font->logFont.lfWidth = kCellWidth;
    font->logFont.lfWeight = weight;
    font->logFont.lfCharSet = DEFAULT_CHARSET;
    font->logFont.lfPitchAndFamily = pitch;
    std::strncpy(font->logFont.lfFaceName, face, LF_FACESIZE - 1);
    font->stock = true;
    RegisterObject(font);
    return font;
}

struct StockObjects {
    Object* objects[DEFAULT_GUI_FONT + 1] = {};
    Brush* systemBrushes[kSystemColorCount] = {};

    StockObjects() {
        objects[WHITE_BRUSH] = MakeStockBrush(BS_SOLID, RGB(255, 255, 255));
        objects[LTGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(192, 192, 192));
        objects[GRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(128, 128, 128));
        objects[DKGRAY_BRUSH] = MakeStockBrush(BS_SOLID, RGB(64, 64, 64));
        objects[BLACK_BRUSH] = MakeStockBrush(BS_SOLID, RGB(0, 0, 0));
        objects[NULL_BRUSH] = MakeStockBrush(BS_NULL, RGB(0, 0, 0));
        objects[WHITE_PEN] = MakeStockPen(PS_SOLID, RGB(255, 255, 255));
        objects[BLACK_PEN] = MakeStockPen(PS_SOLID, RGB(0, 0, 0));
        objects[NULL_PEN] = MakeStockPen(PS_NULL, RGB(0, 0, 0));
        objects[OEM_FIXED_FONT] = MakeStockFont("Terminal", FW_NORMAL, FIXED_PITCH);
        objects[ANSI_FIXED_FONT] = MakeStockFont("Courier", FW_NORMAL, FIXED_PITCH);
        objects[ANSI_VAR_FONT] = MakeStockFont("MS Sans Serif", FW_NORMAL, VARIABLE_PITCH);
        objects[SYSTEM_FONT] = MakeStockFont("System", FW_BOLD, VARIABLE_PITCH);
        objects[DEVICE_DEFAULT_FONT] = MakeStockFont("System", FW_NORMAL, VARIABLE_PITCH);
        objects[SYSTEM_FIXED_FONT] = MakeStockFont("Fixedsys", FW_NORMAL, FIXED_PITCH);
        objects[DEFAULT_GUI_FONT] = MakeStockFont("MS Sans Serif", FW_NORMAL, VARIABLE_PITCH);
        for (int i = 0; i < kSystemColorCount; ++i)
            systemBrushes[i] = MakeStockBrush(BS_SOLID, kSystemColors[i]);
    }
};

StockObjects& Stock() {
    static StockObjects stock;
    return stock;
}

template <typename T> T* FindTyped(HGDIOBJ handle, DWORD type) {
    Object* object = FindObject(handle);
    return object && object->type == type ? static_cast<T*>(object) : nullptr;
}

} // namespace

HGDIOBJ RegisterObject(Object* object) {
    LiveObjects().insert(object);
    return static_cast<HGDIOBJ>(object);
}

void UnregisterObject(Object* object) {
    LiveObjects().erase(object);
}

Object* FindObject(HGDIOBJ handle) {
    if (!handle)
        return nullptr;
    Stock(); // the stock objects exist before any handle is looked up
    auto* object = static_cast<Object*>(handle);
    return LiveObjects().count(object) ? object : nullptr;
}

Brush* FindBrush(HGDIOBJ handle) {
    return FindTyped<Brush>(handle, OBJ_BRUSH);
}
Pen* FindPen(HGDIOBJ handle) {
    return FindTyped<Pen>(handle, OBJ_PEN);
}
Font* FindFont(HGDIOBJ handle) {
    return FindTyped<Font>(handle, OBJ_FONT);
}
DeviceContext* FindDC(HDC handle) {
    return FindTyped<DeviceContext>(handle, OBJ_DC);
}

COLORREF SystemColor(int index) {
    return index >= 0 && index < kSystemColorCount ? kSystemColors[index] : RGB(0, 0, 0);
}

bool BrushColor(HBRUSH handle, COLORREF& color) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (value >= 1 && value <= kSystemColorCount) {
        color = SystemColor(static_cast<int>(value - 1));
        return true;
    }
    Brush* brush = FindBrush(handle);
    if (!brush || brush->style == BS_NULL)
        return false;
    color = brush->color;
    return true;
}

} // namespace gdi

using namespace gdi;

HGDIOBJ WINAPI GetStockObject(int object) {
    if (object < 0 || object > DEFAULT_GUI_FONT)
        return nullptr;
    return Stock().objects[object];
}

DWORD WINAPI GetSysColor(int index) {
    return SystemColor(index);
}

HBRUSH WINAPI GetSysColorBrush(int index) {
    if (index < 0 || index >= kSystemColorCount)
        return nullptr;
    return reinterpret_cast<HBRUSH>(static_cast<HGDIOBJ>(Stock().systemBrushes[index]));
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    auto* brush = new Brush;
    brush->color = color & 0x00FFFFFF;
    return reinterpret_cast<HBRUSH>(RegisterObject(brush));
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* logBrush) {
    if (!logBrush)
        return nullptr;
    auto* brush = new Brush;
    // A hatched brush has no pattern on a screen of cells; its colour is the nearest thing.
    brush->style = logBrush->lbStyle == BS_NULL ? BS_NULL : BS_SOLID;
    brush->color = logBrush->lbColor & 0x00FFFFFF;
    return reinterpret_cast<HBRUSH>(RegisterObject(brush));
}

HPEN WINAPI CreatePen(int style, int, COLORREF color) {
    auto* pen = new Pen;
    pen->style = style == PS_NULL ? PS_NULL : PS_SOLID;
    pen->color = color & 0x00FFFFFF;
    return reinterpret_cast<HPEN>(RegisterObject(pen));
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* logFont) {
    if (!logFont)
        return nullptr;
    auto* font = new Font;
    font->logFont = *logFont;
    font->logFont.lfFaceName[LF_FACESIZE - 1] = '\0';
    return reinterpret_cast<HFONT>(RegisterObject(font));
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR faceName) {
    LOGFONTA logFont{};
    logFont.lfHeight = height;
    logFont.lfWidth = width;
    logFont.lfEscapement = escapement;
    logFont.lfOrientation = orientation;
    logFont.lfWeight = weight;
    logFont.lfItalic = static_cast<BYTE>(italic);
    logFont.lfUnderline = static_cast<BYTE>(underline);
    logFont.lfStrikeOut = static_cast<BYTE>(strikeOut);
    logFont.lfCharSet = static_cast<BYTE>(charSet);
    logFont.lfOutPrecision = static_cast<BYTE>(outPrecision);
    logFont.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    logFont.lfQuality = static_cast<BYTE>(quality);
    logFont.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName)
        std::strncpy(logFont.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&logFont);
}

DWORD WINAPI GetObjectType(HGDIOBJ handle) {
    Object* object = FindObject(handle);
    return object ? object->type : 0;
}

int WINAPI GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
    Object* object = FindObject(handle);
    if (!object)
        return 0;
    const void* data = nullptr;
    int length = 0;
    LOGBRUSH logBrush{};
    LOGPEN logPen{};
    if (auto* brush = FindBrush(handle)) {
        logBrush.lbStyle = brush->style;
        logBrush.lbColor = brush->color;
        data = &logBrush;
        length = sizeof logBrush;
    } else if (auto* pen = FindPen(handle)) {
        logPen.lopnStyle = pen->style;
        logPen.lopnWidth.x = 1;
        logPen.lopnColor = pen->color;
        data = &logPen;
        length = sizeof logPen;
    } else if (auto* font = FindFont(handle)) {
        data = &font->logFont;
        length = sizeof font->logFont;
    } else {
        return 0;
    }
    if (!buffer)
        return length;
    if (size <= 0)
        return 0;
    int copied = size < length ? size : length;
    std::memcpy(buffer, data, static_cast<size_t>(copied));
    return copied;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    Object* object = FindObject(handle);
    if (!object || object->type == OBJ_DC)
        return FALSE;
    if (object->stock)
        return TRUE;
    UnregisterObject(object);
    delete object;
    return TRUE;
}
