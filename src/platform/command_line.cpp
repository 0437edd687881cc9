#include "platform/command_line.h"

namespace trova {

namespace {
bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::size_t skipBlanks(const std::wstring& s, std::size_t i) {
  while (i < s.size() && isBlank(s[i])) ++i;
  return i;
}

// True when the last path component of `path` has a dot in it.
bool hasExtension(const std::wstring& path) {
  std::size_t slash = path.find_last_of(L"\\/");
  std::size_t dot = path.find_last_of(L'.');
  return dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
}
}  // namespace

std::pair<std::wstring, std::wstring> splitCommandLine(const std::wstring& line) {
  std::size_t start = skipBlanks(line, 0);
  if (start < line.size() && line[start] == L'"') {
    std::size_t close = line.find(L'"', start + 1);
    if (close == std::wstring::npos) return {line.substr(start + 1), {}};
    return {line.substr(start + 1, close - start - 1), line.substr(skipBlanks(line, close + 1))};
  }
  std::size_t end = start;
  while (end < line.size() && !isBlank(line[end])) ++end;
  return {line.substr(start, end - start), line.substr(skipBlanks(line, end))};
}

std::pair<std::wstring, std::wstring> splitCommandLine(
    const std::wstring& line, const std::function<bool(const std::wstring&)>& fileExists) {
  auto plain = splitCommandLine(line);
  std::size_t start = skipBlanks(line, 0);
  if (start >= line.size() || line[start] == L'"' || !fileExists) return plain;

  // Try "C:\Program", then "C:\Program Files\X\uninst.exe", ... up to the whole line.
  std::size_t end = start;
  while (end <= line.size()) {
    while (end < line.size() && !isBlank(line[end])) ++end;
    std::wstring candidate = line.substr(start, end - start);
    std::wstring found;
    if (fileExists(candidate)) {
      found = candidate;
    } else if (!hasExtension(candidate) && fileExists(candidate + L".exe")) {
      found = candidate + L".exe";
    }
    if (!found.empty()) return {found, line.substr(skipBlanks(line, end))};
    if (end == line.size()) break;
    end = skipBlanks(line, end);
    if (end == line.size()) break;  // only trailing blanks remained
  }
  return plain;
}

}  // namespace trova
