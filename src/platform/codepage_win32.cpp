// The code page on Windows: whatever ANSI code page the system runs with
// (936, GBK, on a Chinese system), as the files Trova reads and writes use it.
#include <climits>

#include "platform/codepage.h"
#include "platform/win32_platform.h"

namespace trova {

std::string toAnsi(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  // Characters the code page lacks become the system's default character, '?'.
  size = WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  out.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  return out;
}

std::wstring fromAnsi(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int length = static_cast<int>(bytes.size());
  int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return {};
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, out.data(), size);
  out.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
  return out;
}

}  // namespace trova
