// The hosts file: any bytes. Its entries are read, some removed and some added
// (chosen by the bytes themselves), and the file written from them reads back
// as exactly those entries, byte for byte.
#include "formats/hosts_file.h"
#include "fuzz.h"
#include "platform/codepage.h"

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(fuzz::bytesOf(data, size));
  ByteLines lines = readHostsEntries(bytes);
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    FUZZ_CHECK(!lines[i].empty() && lines[i][0] != '#' && lines[i].find('\n') == std::string_view::npos);
    expected.emplace_back(lines[i]);
  }
  // Lines of a length divisible by 3 removed, those divisible by 5 added again, one made by "添加" added.
  for (std::size_t i = expected.size(); i-- > 0;)
    if (expected[i].size() % 3 == 0) lines.erase(i), expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
  for (std::size_t i = 0, n = expected.size(); i < n; ++i)
    if (expected[i].size() % 5 == 0) lines.push_back(expected[i]), expected.push_back(std::string(expected[i]));
  if (const auto added = size > 0 ? hostsEntry(fromUtf8OrAnsi(bytes.substr(0, 16)), L"example.com") : std::nullopt)
    lines.push_back(*added), expected.push_back(*added);
  const ByteLines back = readHostsEntries(writeHostsFile(lines));
  FUZZ_CHECK(back.size() == expected.size());
  for (std::size_t i = 0; i < back.size(); ++i) FUZZ_CHECK(back[i] == expected[i]);
}
