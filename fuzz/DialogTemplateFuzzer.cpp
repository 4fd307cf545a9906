// The dialog template reader: any bytes are decoded or refused, never read past their end.
#include "user/DialogTemplate.h"
#include "FuzzMachine.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnsureMachine(); // the texts are converted to the machine's code page
    // A copy of exactly the input's size, so that a read past the end is seen.
    std::vector<uint8_t> copy(data, data + size);
    res::DialogTemplate parsed;
    res::ParseDialogTemplate(copy.data(), copy.size(), parsed);
    return 0;
}
