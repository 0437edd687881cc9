// The hosts file: any bytes. Its entries are read, some removed and some
// added (chosen by the bytes themselves), and the file written from them reads
// back as exactly those entries, byte for byte.
#include <vector>

#include "formats/hosts_file.h"
#include "fuzz.h"
#include "platform/codepage.h"

using namespace trova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteLines lines = readHostsEntries(std::string(fuzz::bytesOf(data, size)));
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    FUZZ_CHECK(!lines[i].empty() && lines[i][0] != '#' && lines[i].find('\n') == std::string_view::npos);
    expected.emplace_back(lines[i]);
  }
  // Remove every line whose length is a multiple of 3; append a copy of every
  // one whose length is a multiple of 5, and one line made by "添加".
  for (std::size_t i = expected.size(); i-- > 0;)
    if (expected[i].size() % 3 == 0) {
      lines.erase(i);
      expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(i));
    }
  for (std::size_t i = 0, n = expected.size(); i < n; ++i)
    if (expected[i].size() % 5 == 0) {
      lines.push_back(expected[i]);
      expected.push_back(expected[i]);
    }
  if (size > 0) {
    const std::string line(fuzz::bytesOf(data, size).substr(0, 16));
    if (const auto added = hostsEntry(fromUtf8OrAnsi(line), L"example.com")) {
      lines.push_back(*added);
      expected.push_back(*added);
    }
  }

  const ByteLines back = readHostsEntries(writeHostsFile(lines));
  FUZZ_CHECK(back.size() == expected.size());
  for (std::size_t i = 0; i < back.size(); ++i) FUZZ_CHECK(back[i] == expected[i]);
  return 0;
}
