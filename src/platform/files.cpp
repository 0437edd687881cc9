#include "platform/files.h"

#include "platform/codepage.h"
#include "platform/text.h"

namespace trova {

namespace {
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
}  // namespace

std::string encodeTextLines(const std::vector<std::wstring>& lines) {
  std::string out;
  for (const auto& line : lines) {
    const std::string ansi = toAnsi(line);
    // A character the code page lacks would become a question mark: the whole
    // file is UTF-8 then, marked as such for every Windows text reader.
    if (fromAnsi(ansi) != line) {
      out = kUtf8Mark;
      for (const auto& l : lines) out += toUtf8(l) + "\r\n";
      return out;
    }
    out += ansi;
    out += "\r\n";
  }
  return out;
}

std::vector<std::wstring> decodeTextLines(const std::string& bytes) {
  std::vector<std::wstring> lines;
  const bool utf8 = bytes.starts_with(kUtf8Mark);
  std::size_t start = utf8 ? kUtf8Mark.size() : 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
    if (end == std::string::npos) end = bytes.size();
    std::size_t stop = end;
    if (stop > start && bytes[stop - 1] == '\r') --stop;
    const std::string_view line = std::string_view(bytes).substr(start, stop - start);
    lines.push_back(utf8 ? fromUtf8(line) : fromAnsi(line));
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
