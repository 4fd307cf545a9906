// Texts of resources: stored as UTF-16, handed to programs in the ANSI code page.
#pragma once

#include <cstddef>
#include <string>

namespace host::detail {

// Converts UTF-16 text to the ANSI code page of the running machine, as the A functions
// return it. Characters the code page lacks come out as the code page's default character.
std::string WideToAnsi(const char16_t* text, size_t length);

} // namespace host::detail
