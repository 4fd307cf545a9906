// The script loader as a whole: any INSTKIT.INF is loaded or refused with its message boxes
// (answered with their default button), and whatever it accepts can be walked and freed.
#include "FuzzMachine.h"

#include "script/FileEntry.h"
#include "script/RegistryEntry.h"
#include "script/SetupScript.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::PutOnMedium("INSTKIT.INF", data, size);
    CSetupScript script;
    while (CFileEntry* entry = script.GetFirstFile()) {
        (void)entry->m_strSrcPath.GetLength();
        script.RemoveFirstFile();
    }
    return 0;
}
