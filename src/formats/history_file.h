// One change set of the change history: a registry file that Windows'
// registry editor imports to put back what an action changed, written piece by
// piece before each change, with the state the action left in comments (the
// editor skips them) so that an undo can tell what was changed since.
//
//   Windows Registry Editor Version 5.00          (UTF-16 LE with a BOM)
//
//   ; Trova 更改记录
//   ; 操作: 插件免疫 · 应 用
//   ; 时间: 2026-12-07 10:30:05
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\X]               a value the action changed:
//   "Flags"=dword:00000001                        what it held before ("=-": none)
//   ; 之后 [HKEY_LOCAL_MACHINE\SOFTWARE\X] "Flags"=dword:00000400
//
//   [-HKEY_LOCAL_MACHINE\SOFTWARE\New]            a key the action created
//   ; 之后 [HKEY_LOCAL_MACHINE\SOFTWARE\New]
//   ; 之后 [HKEY_LOCAL_MACHINE\SOFTWARE\New] "v"="written into it"
//
//   [HKEY_CURRENT_USER\Software\Gone]             a key the action deleted, with
//   "a"="its values"                              the values it held
//   ; 之后 [-HKEY_CURRENT_USER\Software\Gone]
//
//   ; 文件 C:\Windows\System32\drivers\etc\hosts  a file the action replaced:
//   ; 之前 20261207-103005-001.1.bak               a copy of it beside this file
//   ; 之后 2413 f3a1c0b2d4e5f607                   the size and a hash of what it left
//
// A place's state before is its first record; its state after, its last.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/reg_file.h"

namespace trova {

// What a file held: its size and a hash of its bytes, or nothing.
struct FileDigest {
  std::uint64_t size = 0, hash = 0;
  bool operator==(const FileDigest&) const = default;
};
FileDigest digestOf(std::string_view bytes);

// One place an action changed.
struct HistoryPlace {
  enum class Kind { Value, Key, File };
  Kind kind = Kind::Value;
  std::wstring path;  // a key's full name ("HKEY_…\…"), or a file's path
  std::wstring name;  // a value's name; "" is the default value
  // Value: before/after (nothing = absent). Key: whether it existed.
  std::optional<RegValue> valueBefore, valueAfter;
  bool keyBefore = false, keyAfter = false;
  // File: the copy of what it held ("" = it did not exist), what it holds after.
  std::wstring copyBefore;
  std::optional<FileDigest> fileAfter;
  bool hasAfter = false;  // an action that failed half-way may leave a place without one
};

struct HistoryRecord {
  std::wstring label;  // "插件免疫 · 应 用"
  std::wstring time;   // "2026-12-07 10:30:05"
  std::vector<HistoryPlace> places;  // in the order they were first changed
};

// The pieces, in UTF-16 LE, in the order an action appends them.
std::string historyHeader(const std::wstring& label, const std::wstring& time);
std::string historyValue(const std::wstring& key, const std::wstring& name, const std::optional<RegValue>& before,
                         const std::optional<RegValue>& after);
std::string historyValueAfter(const std::wstring& key, const std::wstring& name, const std::optional<RegValue>& after);
std::string historyKeyCreated(const std::wstring& key);
// A key's state after, alone: for a key the set already holds a record of.
std::string historyKeyAfter(const std::wstring& key, bool exists);
std::string historyKeyDeleted(const std::wstring& key, const std::vector<RegFileValue>& values);
std::string historyFile(const std::wstring& path, const std::wstring& copyBefore,
                        const std::optional<FileDigest>& after);

// The record of a change set, or nothing when the bytes are not one.
std::optional<HistoryRecord> readHistory(std::string_view bytes);

}  // namespace trova
