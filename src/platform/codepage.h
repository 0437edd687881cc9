// Conversion to and from the system's ANSI code page (GBK on a Chinese system),
// used only where text meets a file. Windows asks the system; elsewhere iconv.
#pragma once
#include <string>
#include <string_view>

namespace trova {

// Characters the code page cannot hold become '?'.
std::string toAnsi(std::wstring_view text);
std::wstring fromAnsi(std::string_view bytes);

}  // namespace trova
