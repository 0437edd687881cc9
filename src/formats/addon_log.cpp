#include "formats/addon_log.h"

#include "platform/files.h"

namespace trova {

namespace {
constexpr const wchar_t* kHead = L"Trova日志文件";
constexpr const wchar_t* kBlank = L" ";
constexpr const wchar_t* kLabels[] = {L"名称:", L"cisid:", L"状态:", L"类型:", L"文件:"};
}  // namespace

std::string writeAddonLog(const std::vector<AddonLogEntry>& entries) {
  std::vector<std::wstring> lines = {kHead, kBlank};
  lines.reserve(2 + entries.size() * 6);
  for (const auto& e : entries) {
    const std::wstring* fields[] = {&e.name, &e.id, &e.state, &e.type, &e.file};
    for (int i = 0; i < 5; ++i) lines.push_back(kLabels[i] + *fields[i]);
    lines.push_back(kBlank);
  }
  return encodeTextLines(lines);
}

std::optional<std::vector<AddonLogEntry>> readAddonLog(std::string_view bytes) {
  const auto lines = decodeTextLines(std::string(bytes));
  if (lines.size() < 2 || lines[0] != kHead || lines[1] != kBlank || (lines.size() - 2) % 6 != 0)
    return std::nullopt;
  std::vector<AddonLogEntry> entries;
  for (std::size_t at = 2; at < lines.size(); at += 6) {
    AddonLogEntry e;
    std::wstring* fields[] = {&e.name, &e.id, &e.state, &e.type, &e.file};
    for (std::size_t i = 0; i < 5; ++i) {
      const std::wstring label = kLabels[i];
      if (lines[at + i].compare(0, label.size(), label) != 0) return std::nullopt;
      *fields[i] = lines[at + i].substr(label.size());
    }
    if (lines[at + 5] != kBlank) return std::nullopt;
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace trova
