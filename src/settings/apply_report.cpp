#include "settings/apply_report.h"

#include "formats/reg_file.h"

namespace trova {

void ApplyReport::write(Hive hive, const std::wstring& key, const std::wstring& name, const RegValue& value) {
  KeyPtr k;
  if (RegStatus s = registry_.create(hive, key, k); s != regerr::Ok) return fail(L"写入", hive, key, name, s);
  RegValue stored;
  if (k->queryValue(name, stored) == regerr::Ok && stored == value) return;
  if (RegStatus s = k->setValue(name, value); s != regerr::Ok) fail(L"写入", hive, key, name, s);
}

void ApplyReport::remove(Hive hive, const std::wstring& key, const std::wstring& name) {
  KeyPtr k;
  if (RegStatus s = registry_.open(hive, key, k); s != regerr::Ok) {
    if (s != regerr::FileNotFound) fail(L"删除", hive, key, name, s);
    return;
  }
  // Asked first: a key the user may only read refuses every delete, also of
  // a value that is not there.
  RegValue stored;
  if (k->queryValue(name, stored) == regerr::FileNotFound) return;
  if (RegStatus s = k->deleteValue(name); s != regerr::Ok && s != regerr::FileNotFound)
    fail(L"删除", hive, key, name, s);
}

void ApplyReport::fail(const wchar_t* action, Hive hive, const std::wstring& key, const std::wstring& name,
                       RegStatus why) {
  const std::wstring value = name.empty() ? L"默认值" : L"“" + name + L"”";
  failures_.push_back(action + std::wstring(L" ") + rootName(hive) + L"\\" + key + L" 的" + value + L"失败：" +
                      describeFailure(why));
}

std::wstring ApplyReport::message(const std::wstring& success) const {
  if (failures_.empty()) return success;
  std::wstring text = L"以下设置未能应用：";
  for (const auto& f : failures_) text += L"\n" + f;
  return text;
}

}  // namespace trova
