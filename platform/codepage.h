// Conversion between the program's texts (Windows-1252 bytes) and UTF-8,
// used at the edges only: the toolkit, the terminal, quiz sources.
#pragma once

#include <string>
#include <string_view>

namespace codepage {

// Every Windows-1252 byte has a UTF-8 form; the five unassigned bytes
// (81, 8D, 8F, 90, 9D) map to the C1 controls of the same value, as the
// platform's own conversion does.
std::string toUtf8(std::string_view ansi);

// False when the text is not valid UTF-8 or holds a character without a
// Windows-1252 form; ansi is then left unspecified.
bool fromUtf8(std::string_view utf8, std::string& ansi);

} // namespace codepage
