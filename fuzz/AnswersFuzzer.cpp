// The answers file: any text is parsed or refused with a reason, never overrunning anything.
#include <host/Automation.h>

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<host::Answer> answers;
    std::string message;
    host::ParseAnswers(text, false, answers, message);
    return 0;
}
