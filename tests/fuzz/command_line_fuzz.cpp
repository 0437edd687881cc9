// A stored command line (an uninstaller's, a startup entry's): any text, here
// read as UTF-8. Both splits give a program and arguments taken from the line;
// the one that looks for files (on a fake disk where every path ending in
// ".exe" exists) names only a file that exists, or falls back to the plain split.
#include "fuzz.h"
#include "platform/command_line.h"
#include "platform/text.h"

void trova::fuzz::target(const std::uint8_t* data, std::size_t size) {
  const std::wstring line = fromUtf8(fuzz::bytesOf(data, size));
  const auto plain = splitCommandLine(line);
  FUZZ_CHECK(line.find(plain.first) != std::wstring::npos && line.ends_with(plain.second));
  const auto exists = [](const std::wstring& path) { return path.ends_with(L".exe"); };
  const auto found = splitCommandLine(line, exists);
  FUZZ_CHECK(line.ends_with(found.second) && (found == plain || exists(found.first)));
}
