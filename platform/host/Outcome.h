// The line the program ends with on standard error, after the terminal is given back: what
// happened, where the files went, and a restart that was asked for but not carried out.
#pragma once

#include <string>

namespace host {

// The outcome line for the exit status, from the running machine (call it before the
// machine stops). A refused run whose medium has no setup script names the directory
// searched.
std::string OutcomeLine(int status);

} // namespace host
