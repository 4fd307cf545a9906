// The registry file format: any text is read into a tree or refused with a line and a reason.
#include "platform/registry/RegistryFormat.h"
#include "platform/registry/RegistryTree.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto root = std::make_shared<host::detail::RegKey>();
    host::detail::RegFileHeader header;
    int errorLine = 0;
    std::string reason;
    host::detail::ParseRegistryFile(text, *root, header, errorLine, reason);
    return 0;
}
