#include "settings/apply_report.h"

#include <algorithm>

namespace trova {

namespace {
// A long run of settings that failed for one reason is named by its first few.
constexpr std::size_t kNamesShown = 4;
}  // namespace

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
