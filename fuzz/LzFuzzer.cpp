// The LZ layer: any file is opened, named and expanded, or refused with an LZERROR_ value; a
// damaged one never yields more than its header promises nor crashes the expansion.
#include "FuzzMachine.h"

#include <windows.h>
#include <lzexpand.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string source = fuzz::PutOnMedium("INPUT.EX_", data, size);
    char expanded[MAX_PATH] = {};
    GetExpandedNameA(const_cast<LPSTR>(source.c_str()), expanded);

    OFSTRUCT sourceInfo;
    INT from = LZOpenFileA(const_cast<LPSTR>(source.c_str()), &sourceInfo, OF_READ);
    if (from < 0)
        return 0;
    char output[] = "D:\\OUTPUT.BIN";
    OFSTRUCT outputInfo;
    INT to = LZOpenFileA(output, &outputInfo, OF_CREATE | OF_WRITE);
    if (to >= 0) {
        LZCopy(from, to);
        LZClose(to);
    }
    LZClose(from);
    DeleteFileA(output);
    return 0;
}
