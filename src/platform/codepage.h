// Conversion to and from the system's ANSI code page (GBK on a Chinese system),
// used only where text meets a file. Windows asks the system; elsewhere iconv.
#pragma once
#include <string>
#include <string_view>

namespace trova {

// Characters the code page cannot hold become '?'.
std::string toAnsi(std::wstring_view text);
std::wstring fromAnsi(std::string_view bytes);

// Bytes whose encoding is not known (a line of a file other programs write, a
// message from a library): UTF-8 where they are valid UTF-8, else the ANSI
// code page. Plain ASCII reads the same either way.
std::wstring fromUtf8OrAnsi(std::string_view bytes);

}  // namespace trova
