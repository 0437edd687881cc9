#include "platform/registry.h"

#include "platform/text.h"

namespace trova {

RegValue RegValue::text(std::wstring_view s, RegType t) {
  return RegValue{t, toUtf16Bytes(s, true)};
}

RegValue RegValue::dword(std::uint32_t v) {
  return RegValue{RegType::Dword,
                  {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}

std::wstring RegValue::asText() const { return fromUtf16Bytes(data.data(), data.size()); }

std::optional<std::uint32_t> RegValue::asDword() const {
  if (data.size() < 4) return std::nullopt;
  return static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8) |
         (static_cast<std::uint32_t>(data[2]) << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
}

std::wstring readText(RegKey& key, std::wstring_view valueName) {
  RegValue v;
  if (key.queryValue(valueName, v) != regerr::Ok) return {};
  return v.asText();
}

std::wstring readDefault(RegKey& key, std::wstring_view subKey) {
  if (subKey.empty()) return readText(key, L"");
  KeyPtr sub;
  if (key.openSubKey(subKey, sub) != regerr::Ok) return {};
  return readText(*sub, L"");
}

bool keyExists(Registry& reg, RegRoot root, std::wstring_view path) {
  KeyPtr key;
  return reg.open(root, path, key) == regerr::Ok;
}

RegStatus lookIntoKey(RegKey& key) {
  std::wstring name;
  const RegStatus s = key.enumValue(0, name);
  return s == regerr::NoMoreItems ? key.enumSubKey(0, name) : s;
}

const std::vector<RegView>& registryViews() {
  static const std::vector<RegView> views = {RegView::Bits64, RegView::Bits32};
  return views;
}

namespace {
// The first component of a path, and whether it names `key`.
bool startsWithKey(std::wstring_view path, std::wstring_view key) {
  while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
  if (path.size() < key.size() || !equalsNoCase(path.substr(0, key.size()), key)) return false;
  return path.size() == key.size() || path[key.size()] == L'\\';
}
}  // namespace

bool isSplitByView(Hive hive, std::wstring_view path) {
  if (hive == Hive::LocalMachine) return startsWithKey(path, L"SOFTWARE");
  if (hive == Hive::ClassesRoot) return startsWithKey(path, L"CLSID");
  return false;
}

std::wstring pathIn64BitView(const RegRoot& root, std::wstring_view path) {
  std::wstring p(path);
  if (root.view == RegView::Bits64 || !isSplitByView(root.hive, path)) return p;
  const std::size_t start = p.find_first_not_of(L'\\');
  if (root.hive == Hive::ClassesRoot) return p.insert(start, L"Wow6432Node\\");
  const std::size_t afterSoftware = start + 8;  // "SOFTWARE"
  return p.insert(afterSoftware, L"\\Wow6432Node");
}

namespace {
std::wstring& historyFailure() {
  static std::wstring why;
  return why;
}
}  // namespace

void noteHistoryFailure(std::wstring why) { historyFailure() = std::move(why); }

std::wstring describeFailure(RegStatus status) {
  switch (status) {
    case regerr::Ok: return L"";
    case regerr::AccessDenied: return L"没有修改注册表的权限，请以管理员身份运行 Trova";
    case regerr::FileNotFound: return L"注册表项不存在";
    case regerr::KeyHasChildren: return L"它的注册表项下还有子项";
    case regerr::HistoryUnavailable: return L"无法写入更改记录，为能撤销而未作更改: " + historyFailure();
    default: return L"注册表操作失败 (错误代码 " + std::to_wstring(status) + L")";
  }
}

}  // namespace trova
