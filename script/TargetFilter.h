// Which operating systems and PC architectures a script, a file line or a registry line is
// meant for, and which of them the running machine is.
#pragma once

#include <windows.h>

// OS mask bits. An NT bit in a [Setup] TargetOS means "this version and every later one";
// in a line's keyword table each keyword says exactly which bits it selects.
const DWORD OS_WINNT31 = 0x00001;
const DWORD OS_WINNT35 = 0x00002;
const DWORD OS_WINNT351 = 0x00004;
const DWORD OS_WINNT40 = 0x00008; // NT 4.0 and every later Windows NT
const DWORD OS_WIN95 = 0x10000;   // the whole Windows 95 platform
const DWORD OS_ALL = 0x1000F;

// PC mask bits.
const DWORD PC_PCAT = 0x1;
const DWORD PC_PC98 = 0x2;
const DWORD PC_ALL = 0x3;
const DWORD PC_UNKNOWN = 0x80000000; // a keyword not in the table: matches no machine

// The OS mask of a line's OS keyword; OS_ALL for an empty token, 0 for an unknown keyword.
DWORD ParseTargetOS(LPCSTR token);
// The PC mask of a line's PC keyword; PC_ALL for an empty token, PC_UNKNOWN for an unknown one.
DWORD ParseTargetPC(LPCSTR token);
// Gives the lowest NT bit of the low byte every later NT version as well.
DWORD WidenOSMask(DWORD mask);
// The running system's one OS bit, or 0 when it is not one the installer knows.
DWORD GetRunningOS();
// PC_PC98 or PC_PCAT.
DWORD GetRunningPC();
