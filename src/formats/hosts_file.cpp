#include "formats/hosts_file.h"

#include "platform/codepage.h"

namespace trova {

// Lines 16 and 17 are example mappings in fixed columns: the address ends in
// column 19, the name starts in column 25 and the comment fills 49 to 63.
const std::array<std::string_view, 17> kHostsHeader = {
    "# Copyright (c) 1993-1999 Microsoft Corp.",
    "#",
    "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.",
    "#",
    "# This file contains the mappings of IP addresses to host names. Each",
    "# entry should be kept on an individual line. The IP address should",
    "# be placed in the first column followed by the corresponding host name.",
    "# The IP address and the host name should be separated by at least one",
    "# space.",
    "#",
    "# Additionally, comments (such as these) may be inserted on individual",
    "# lines or following the machine name denoted by a '#' symbol.",
    "#",
    "# For example:",
    "#",
    "#      102.54.94.97     rhino.acme.com          # source server",
    "#       38.25.63.10     x.acme.com              # x client host",
};

namespace {
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
}  // namespace

ByteLines readHostsEntries(std::string bytes) {
  ByteLines lines(std::move(bytes));
  const std::string_view text = lines.block();
  std::size_t start = text.starts_with(kUtf8Mark) ? kUtf8Mark.size() : 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    if (stop > start && text[start] != '#') lines.keep(start, stop - start);
    start = end + 1;
  }
  return lines;
}

std::string writeHostsFile(const ByteLines& entries) {
  std::string out;
  out.reserve(1024 + entries.bytes() + entries.size() * kLineEnd.size());
  for (std::string_view line : kHostsHeader) (out += line) += kLineEnd;
  out += kLineEnd;
  // Lines that follow one another in the file with CR LF between them are
  // copied together: a big file is then a few copies, not one per line.
  const char* from = nullptr;
  const char* to = nullptr;
  bool joinable = false;  // the lines from `from` to `to` are all of the file
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string_view line = entries[i];
    const bool ofTheFile = entries.inBlock(i);
    if (joinable && ofTheFile && line.data() == to + kLineEnd.size() &&
        std::string_view(to, kLineEnd.size()) == kLineEnd) {
      to = line.data() + line.size();
      continue;
    }
    joinable = ofTheFile;
    if (from) (out.append(from, to)) += kLineEnd;
    from = line.data();
    to = from + line.size();
  }
  if (from) (out.append(from, to)) += kLineEnd;
  return out;
}

std::optional<std::string> hostsEntry(const std::wstring& address, const std::wstring& site) {
  const std::wstring line = address + kHostsEntryGap + site;
  // A line that breaks, or that starts with "#" (a comment, which reading skips),
  // would not come back from the file as this entry.
  if (line.find_first_of(L"\r\n") != std::wstring::npos || line[0] == L'#') return std::nullopt;
  std::string bytes = toAnsi(line);
  if (fromAnsi(bytes) != line) return std::nullopt;
  return bytes;
}

}  // namespace trova
