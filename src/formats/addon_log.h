// The add-on log that "导出" on the add-on page writes: a head line, a line
// holding one blank, then six lines per add-on (name, identifier, state, type,
// file and a line holding one blank), every line ended by CR LF, in the ANSI
// code page (in UTF-8 after a byte-order mark when that cannot hold them all):
//   Trova日志文件
//    
//   名称:<name>
//   cisid:<id>
//   状态:<state>
//   类型:<type>
//   文件:<file>
//    
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trova {

struct AddonLogEntry {
  std::wstring name, id, state, type, file;
  bool operator==(const AddonLogEntry&) const = default;
};

std::string writeAddonLog(const std::vector<AddonLogEntry>& entries);
// The entries of a log, or nothing when the bytes are not one.
std::optional<std::vector<AddonLogEntry>> readAddonLog(std::string_view bytes);

}  // namespace trova
