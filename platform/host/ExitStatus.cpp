#include <host/ExitStatus.h>

namespace host {

const char* StatusMeaning(int status) {
    switch (status) {
    case 0:
        return "finished";
    case kExitAbandoned:
        return "abandoned";
    case 2:
        return "refused";
    case 3:
        return "finished, Windows must restart";
    case 4:
        return "finished, the computer must restart";
    case kExitRegistryLost:
        return "the registry entries were not saved";
    case kExitInterrupted:
        return "interrupted";
    default:
        return "ended";
    }
}

} // namespace host
