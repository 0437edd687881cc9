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

bool keyExists(Registry& reg, Hive hive, std::wstring_view path) {
  KeyPtr key;
  return reg.open(hive, path, key) == regerr::Ok;
}

std::wstring describeFailure(RegStatus status) {
  switch (status) {
    case regerr::Ok: return L"";
    case regerr::AccessDenied: return L"没有修改注册表的权限，请以管理员身份运行 Trova";
    case regerr::FileNotFound: return L"注册表项不存在";
    case regerr::KeyHasChildren: return L"它的注册表项下还有子项";
    default: return L"注册表操作失败 (错误代码 " + std::to_wstring(status) + L")";
  }
}

}  // namespace trova
