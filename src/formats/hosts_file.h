// The hosts file as the website immunity page reads and writes it.
//
// Reading keeps the mapping lines: every line but the empty ones and those
// whose first character is "#", each with exactly its bytes, whatever their
// encoding. A line's end (CR LF or a bare LF) is not part of it, nor is a
// UTF-8 byte-order mark before the first line.
//
// Writing puts a fixed header of 17 comment lines and one empty line first,
// then the entries, every line followed by CR LF. The header is plain ASCII,
// so it reads the same in the ANSI code page and in UTF-8.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/byte_lines.h"

namespace trova {

inline constexpr const wchar_t* kHostsFileName = L"hosts";
inline constexpr const wchar_t* kHostsBackupName = L"hosts.bak";
// What separates the address from the site in a line that "添加" builds.
inline constexpr const wchar_t* kHostsEntryGap = L"      ";

extern const std::array<std::string_view, 17> kHostsHeader;

// The entries of a hosts file; the lines keep the file's bytes.
ByteLines readHostsEntries(std::string bytes);
// The whole file: header, empty line, entries.
std::string writeHostsFile(const ByteLines& entries);

// The line for an address and a site, in the ANSI code page, or nothing when
// the code page cannot hold a character of it, it would break into lines, or it
// would start with "#" and so be a comment.
std::optional<std::string> hostsEntry(const std::wstring& address, const std::wstring& site);

}  // namespace trova
