// Locale and code page services.
#pragma once

#include "types.h"

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

#define LANG_NEUTRAL 0x00
#define LANG_GERMAN 0x07
#define LANG_ENGLISH 0x09
#define LANG_FRENCH 0x0c
#define LANG_JAPANESE 0x11
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_ENGLISH_UK 0x02
#define SORT_DEFAULT 0x0
#define MAKELANGID(p, s) ((((WORD)(s)) << 10) | (WORD)(p))
#define PRIMARYLANGID(lgid) ((WORD)(lgid)&0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)
#define MAKELCID(lgid, srtid) ((DWORD)((((DWORD)((WORD)(srtid))) << 16) | ((DWORD)((WORD)(lgid)))))
#define LANGIDFROMLCID(lcid) ((WORD)(lcid))

#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_ILANGUAGE 0x00000001
#define LOCALE_SLANGUAGE 0x00000002
#define LOCALE_SABBREVLANGNAME 0x00000003
#define LOCALE_IDEFAULTANSICODEPAGE 0x00001004
#define LOCALE_SSHORTDATE 0x0000001F
#define LOCALE_IDATE 0x00000021
#define LOCALE_SABBREVCTRYNAME 0x00000007
#define LOCALE_IDEFAULTCODEPAGE 0x0000000B
#define LOCALE_SENGLANGUAGE 0x00001001
#define LOCALE_NOUSEROVERRIDE 0x80000000

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008

LCID WINAPI GetUserDefaultLCID();
LCID WINAPI GetSystemDefaultLCID();
int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);
UINT WINAPI GetACP();
UINT WINAPI GetOEMCP();
BOOL WINAPI IsDBCSLeadByte(BYTE test);
BOOL WINAPI IsDBCSLeadByteEx(UINT codePage, BYTE test);
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length,
                               LPWSTR wide, int wideLength);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength,
                               LPSTR text, int length, LPCSTR defaultChar, LPBOOL usedDefault);
