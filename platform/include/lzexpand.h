// The LZ expansion library: files compressed by the system's compression tool (the "SZDD"
// format, whose name ends in '_' in place of its last character) are expanded while they are
// copied; other files are copied unchanged.
#pragma once

#include "win/types.h"
#include "win/base.h"

#define LZERROR_BADINHANDLE (-1)
#define LZERROR_BADOUTHANDLE (-2)
#define LZERROR_READ (-3)
#define LZERROR_WRITE (-4)
#define LZERROR_GLOBALLOC (-5)
#define LZERROR_GLOBLOCK (-6)
#define LZERROR_BADVALUE (-7)
#define LZERROR_UNKNOWNALG (-8)

// Opens a file: with OF_READ for reading (a compressed file is recognised by its header),
// with OF_CREATE | OF_WRITE creating it or cutting an existing one to nothing. Returns a
// handle for LZCopy and LZClose, or a negative LZERROR_ value: LZERROR_BADINHANDLE when the
// file cannot be opened (reOpenBuff->nErrCode and GetLastError tell why),
// LZERROR_UNKNOWNALG when it is compressed by a method the library does not know.
INT WINAPI LZOpenFileA(LPSTR fileName, LPOFSTRUCT reOpenBuff, WORD style);
// Copies the source to the destination, expanding a compressed source. Returns the number of
// bytes written, or a negative LZERROR_ value: LZERROR_BADINHANDLE or LZERROR_BADOUTHANDLE
// for a handle that is not open for that use, LZERROR_READ for a read error or damaged
// compressed data, LZERROR_WRITE for a write error (the disk is full), LZERROR_GLOBALLOC when
// memory runs out.
LONG WINAPI LZCopy(INT source, INT destination);
void WINAPI LZClose(INT file);
// Puts into buffer the name the file bears once expanded: for a compressed file the source's
// name with its last character restored from the header, for any other file the name itself.
// The buffer needs room for the source name. Returns 1, or LZERROR_BADINHANDLE when the file
// cannot be opened (buffer then holds the source name unchanged).
INT WINAPI GetExpandedNameA(LPSTR source, LPSTR buffer);
