// Drawing: device contexts, GDI objects, text output and the user32 painting helpers that
// work on a device context (FillRect, DrawEdge, DrawTextA, DrawIcon, system colours, the
// rectangle helpers). The native build draws into a screen of character cells; coordinates
// are pixels, one cell being 8 x 16 pixels.
#pragma once

#include "types.h"

// Stock objects (GetStockObject).
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// Brush styles (LOGBRUSH.lbStyle).
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2

// Pen styles.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

// Text alignment (SetTextAlign).
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
#define GDI_ERROR (0xFFFFFFFFL)
#define CLR_INVALID 0xFFFFFFFF

// Clip box kinds (GetClipBox, IntersectClipRect).
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// ExtTextOutA options.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004

// GetObjectType results.
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6

// Font weights and character sets (LOGFONTA).
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SHIFTJIS_CHARSET 128
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define LF_FACESIZE 32

// GetDeviceCaps indices.
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// The system colour indices (COLOR_WINDOW ...) are in user.h beside GetSysColor's other
// callers.

// DrawEdge.
#define BDR_RAISEDOUTER 0x0001
#define BDR_SUNKENOUTER 0x0002
#define BDR_RAISEDINNER 0x0004
#define BDR_SUNKENINNER 0x0008
#define BDR_OUTER 0x0003
#define BDR_INNER 0x000C
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)
#define BF_LEFT 0x0001
#define BF_TOP 0x0002
#define BF_RIGHT 0x0004
#define BF_BOTTOM 0x0008
#define BF_TOPLEFT (BF_TOP | BF_LEFT)
#define BF_TOPRIGHT (BF_TOP | BF_RIGHT)
#define BF_BOTTOMLEFT (BF_BOTTOM | BF_LEFT)
#define BF_BOTTOMRIGHT (BF_BOTTOM | BF_RIGHT)
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_MIDDLE 0x0800
#define BF_SOFT 0x1000
#define BF_ADJUST 0x2000
#define BF_FLAT 0x4000
#define BF_MONO 0x8000

// DrawTextA formats.
#define DT_TOP 0x00000000
#define DT_LEFT 0x00000000
#define DT_CENTER 0x00000001
#define DT_RIGHT 0x00000002
#define DT_VCENTER 0x00000004
#define DT_BOTTOM 0x00000008
#define DT_WORDBREAK 0x00000010
#define DT_SINGLELINE 0x00000020
#define DT_EXPANDTABS 0x00000040
#define DT_TABSTOP 0x00000080
#define DT_NOCLIP 0x00000100
#define DT_EXTERNALLEADING 0x00000200
#define DT_CALCRECT 0x00000400
#define DT_NOPREFIX 0x00000800
#define DT_INTERNAL 0x00001000
#define DT_EDITCONTROL 0x00002000
#define DT_PATH_ELLIPSIS 0x00004000
#define DT_END_ELLIPSIS 0x00008000
#define DT_HIDEPREFIX 0x00100000
#define DT_PREFIXONLY 0x00200000

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;
typedef LOGFONTA LOGFONT;

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;
typedef TEXTMETRICA TEXTMETRIC;

// Device contexts. GetDC, ReleaseDC, BeginPaint and EndPaint are part of the window system.
int WINAPI SaveDC(HDC hdc);
BOOL WINAPI RestoreDC(HDC hdc, int savedDC);
int WINAPI GetDeviceCaps(HDC hdc, int index);

// Objects.
HGDIOBJ WINAPI GetStockObject(int object);
HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type);
DWORD WINAPI GetObjectType(HGDIOBJ object);
int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
HBRUSH WINAPI CreateSolidBrush(COLORREF color);
HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush);
HPEN WINAPI CreatePen(int style, int width, COLORREF color);
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font);
HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR faceName);

// Attributes.
COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
COLORREF WINAPI GetTextColor(HDC hdc);
COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
COLORREF WINAPI GetBkColor(HDC hdc);
int WINAPI SetBkMode(HDC hdc, int mode);
int WINAPI GetBkMode(HDC hdc);
UINT WINAPI SetTextAlign(HDC hdc, UINT align);
UINT WINAPI GetTextAlign(HDC hdc);
BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT origin);
int WINAPI GetClipBox(HDC hdc, LPRECT rect);
int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);

// Text.
BOOL WINAPI GetTextExtentPointA(HDC hdc, LPCSTR text, int count, LPSIZE size);
BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size);
BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics);
BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text,
                        UINT count, const INT* dx);
BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);
int WINAPI DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format);

// Shapes.
BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);
BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
BOOL WINAPI LineTo(HDC hdc, int x, int y);
int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL WINAPI DrawFocusRect(HDC hdc, const RECT* rect);
BOOL WINAPI DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags);
BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon);

#define PATCOPY 0x00F00021
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// System colours.
DWORD WINAPI GetSysColor(int index);
HBRUSH WINAPI GetSysColorBrush(int index);

// The rectangle helpers (SetRect, IntersectRect ...) are declared in user.h.
