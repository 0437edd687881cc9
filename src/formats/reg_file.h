// Registry files as Windows' registry editor imports and exports them.
//
//   REGEDIT4                                  (version 4: ANSI code page)
//   Windows Registry Editor Version 5.00      (version 5: UTF-16 LE with BOM)
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Example]     a key, created when missing
//   "Text"="a \"quoted\" \\ value"            REG_SZ
//   "Number"=dword:00000400                   REG_DWORD
//   "Raw"=hex(2):25,00,00,00                  any other type, byte by byte
//   @="default value"                         the key's default value
//   "Gone"=-                                  the value is deleted
//   [-HKEY_CURRENT_USER\Software\Example]     the key is deleted, with its sub-keys
//
// Lines end with CR LF; a long hex list continues on the next line after a
// backslash. The writer puts a text in quotes only when it reads back as the
// same bytes (no line breaks, no NUL inside, one terminator); anything else is
// written as hex, so a value always round-trips exactly.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace trova {

struct RegFileValue {
  std::wstring name;               // empty = the default value ("@")
  std::optional<RegValue> value;   // nothing = delete the value ("=-")
  bool operator==(const RegFileValue&) const = default;
};

struct RegFileKey {
  std::wstring path;  // from the root's full name: "HKEY_LOCAL_MACHINE\SOFTWARE\..."
  bool remove = false;
  std::vector<RegFileValue> values;
  bool operator==(const RegFileKey&) const = default;
};

enum class RegFileVersion { Regedit4, Version5 };

struct RegFileLayout {
  RegFileVersion version = RegFileVersion::Version5;
  // The line between keys (and after the header): empty for the registry
  // editor's own files; the kill-bit export uses a line holding one blank.
  std::wstring separator;
};

std::string writeRegFile(const std::vector<RegFileKey>& keys, const RegFileLayout& layout);

struct RegFileParse {
  std::vector<RegFileKey> keys;
  std::wstring error;  // empty when the whole file was understood
  int errorLine = 0;   // from 1
};
// Reads either version (a UTF-16 byte-order mark means version 5).
RegFileParse readRegFile(std::string_view bytes);

// One value as a registry file writes it (`"name"=…`): one line, or, with
// `wrap`, a long hex list broken over lines as the registry editor does.
std::wstring regValueText(const RegFileValue& value, RegFileVersion version, bool wrap);
// The value of one such line (continuations joined), or nothing.
std::optional<RegFileValue> parseRegValueText(const std::wstring& line, RegFileVersion version);

// The text of UTF-16 LE bytes (after the byte-order mark), NUL units included.
std::wstring fromUtf16Text(std::string_view bytes);

// The full name of a root as registry files write it ("HKEY_CURRENT_USER").
std::wstring rootName(Hive hive);

// The kill-bit export: "REGEDIT4", a line holding one blank, then for every
// control its key under ActiveX Compatibility, "Compatibility Flags" =
// dword:00000400 and a line holding one blank. `keyPaths` are relative to
// HKEY_LOCAL_MACHINE.
std::string writeKillBitExport(const std::vector<std::wstring>& keyPaths);

}  // namespace trova
