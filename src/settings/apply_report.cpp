#include "settings/apply_report.h"

#include <algorithm>

#include "formats/reg_file.h"

namespace trova {

namespace {
// A long run of settings that failed for one reason is named by its first few.
constexpr std::size_t kNamesShown = 4;

std::wstring valueOf(RegRoot root, const std::wstring& key, const std::wstring& name) {
  return rootName(root.hive) + L"\\" + key + L" 的" + (name.empty() ? std::wstring(L"默认值") : L"“" + name + L"”");
}
}  // namespace

void ApplyReport::write(Registry& registry, RegRoot root, const std::wstring& key, const std::wstring& name,
                        const RegValue& value) {
  KeyPtr k;
  RegStatus s = registry.create(root, key, k);
  if (s == regerr::Ok) s = writeIfChanged(*k, name, value);
  note(s, valueOf(root, key, name));
}

void ApplyReport::remove(Registry& registry, RegRoot root, const std::wstring& key, const std::wstring& name) {
  KeyPtr k;
  RegStatus s = registry.open(root, key, k);
  // Asked first: a key the user may only read refuses every delete, also of
  // a value that is not there.
  RegValue stored;
  if (s == regerr::Ok && k->queryValue(name, stored) == regerr::FileNotFound) return;
  if (s == regerr::Ok) s = k->deleteValue(name);
  noteDelete(s, valueOf(root, key, name));
}

bool ApplyReport::note(RegStatus status, const std::wstring& what) {
  if (status == regerr::Ok) return true;
  fail(what, describeFailure(status));
  return false;
}

bool ApplyReport::noteDelete(RegStatus status, const std::wstring& what) {
  return note(status == regerr::FileNotFound ? regerr::Ok : status, what);
}

void ApplyReport::fail(const std::wstring& what, const std::wstring& why) { failures_.push_back({what, why}); }

std::wstring ApplyReport::failureText() const {
  std::vector<std::wstring> reasons;
  for (const auto& f : failures_)
    if (std::find(reasons.begin(), reasons.end(), f.why) == reasons.end()) reasons.push_back(f.why);
  std::wstring text = L"以下设置未能写入注册表:";
  for (const auto& why : reasons) {
    std::vector<std::wstring> names;
    for (const auto& f : failures_)
      if (f.why == why) names.push_back(f.what);
    std::wstring line;
    for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) line += (i ? L"、" : L"") + names[i];
    if (names.size() > kNamesShown) line += L" 等 " + std::to_wstring(names.size()) + L" 项";
    text += L"\r\n" + line + L"：" + why;
  }
  return text;
}

RegStatus writeIfChanged(RegKey& key, std::wstring_view name, const RegValue& value) {
  RegValue current;
  if (key.queryValue(name, current) == regerr::Ok && current == value) return regerr::Ok;
  return key.setValue(name, value);
}

}  // namespace trova
