#include "platform/files.h"

#include "platform/codepage.h"

namespace trova {

std::string encodeTextLines(const std::vector<std::wstring>& lines) {
  std::string out;
  for (const auto& line : lines) {
    out += toAnsi(line);
    out += "\r\n";
  }
  return out;
}

std::vector<std::wstring> decodeTextLines(const std::string& bytes) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    std::size_t stop = end;
    if (stop > start && bytes[stop - 1] == '\r') --stop;
    lines.push_back(fromAnsi(std::string_view(bytes).substr(start, stop - start)));
    start = next;
  }
  return lines;
}

FileResult writeTextLines(FileSystem& fs, const std::wstring& path,
                          const std::vector<std::wstring>& lines) {
  return fs.replace(path, encodeTextLines(lines));
}

std::optional<std::vector<std::wstring>> readTextLines(FileSystem& fs, const std::wstring& path,
                                                       FileResult* why) {
  auto bytes = fs.read(path, why);
  if (!bytes) return std::nullopt;
  return decodeTextLines(*bytes);
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) return name;
  if (folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L"\\" + name;
}

}  // namespace trova
