// The registry through the wide-character API, so key and value names outside
// the ANSI code page are read and written unchanged.
#include <vector>

#include "platform/win32_platform.h"

namespace trova {

namespace {

// Handles such as HKEY_CURRENT_USER are the system's, not ours to close.
bool isPredefined(HKEY key) {
  auto value = reinterpret_cast<ULONG_PTR>(key);
  return value >= 0x80000000u && value <= 0x800000FFu;
}

// The API wants NUL-terminated names; views need not be.
std::wstring terminated(std::wstring_view s) { return std::wstring(s); }

RegStatus openKey(HKEY parent, REGSAM view, std::wstring_view path, KeyPtr& out) {
  out.reset();
  HKEY key = nullptr;
  LSTATUS rc = RegOpenKeyExW(parent, terminated(path).c_str(), 0, MAXIMUM_ALLOWED | view, &key);
  if (rc != ERROR_SUCCESS) return rc;
  out = std::make_unique<Win32Key>(key, view);
  return ERROR_SUCCESS;
}

RegStatus createKey(HKEY parent, REGSAM view, std::wstring_view path, KeyPtr& out, bool* created) {
  out.reset();
  if (created) *created = false;
  HKEY key = nullptr;
  DWORD disposition = 0;
  LSTATUS rc = RegCreateKeyExW(parent, terminated(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               MAXIMUM_ALLOWED | view, nullptr, &key, &disposition);
  if (rc != ERROR_SUCCESS) return rc;
  if (created) *created = disposition == REG_CREATED_NEW_KEY;
  out = std::make_unique<Win32Key>(key, view);
  return ERROR_SUCCESS;
}

// Runs `call` with a name buffer, growing it while the key answers MoreData.
// Key names stop at 255 characters, so a key name always fits the first try;
// only a longer value name costs a second call.
template <typename Call>
RegStatus withNameBuffer(DWORD chars, std::wstring& name, Call call) {
  constexpr DWORD kLongestName = 32767;  // value names; key names stop at 255
  std::vector<wchar_t> buffer(chars + 1);
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    LSTATUS rc = call(buffer.data(), &length);
    if (rc == ERROR_SUCCESS) {
      name.assign(buffer.data(), length);
      return ERROR_SUCCESS;
    }
    if (rc != ERROR_MORE_DATA || buffer.size() > kLongestName) return rc;
    buffer.resize(buffer.size() * 2 > kLongestName + 1 ? kLongestName + 1 : buffer.size() * 2);
  }
}

}  // namespace

Win32Key& Win32Key::operator=(Win32Key&& other) noexcept {
  if (this != &other) {
    if (handle_ && !isPredefined(handle_)) RegCloseKey(handle_);
    view_ = other.view_;
    handle_ = other.release();
  }
  return *this;
}

Win32Key::~Win32Key() {
  if (handle_ && !isPredefined(handle_)) RegCloseKey(handle_);
}

HKEY Win32Key::release() noexcept {
  HKEY h = handle_;
  handle_ = nullptr;
  return h;
}

RegStatus Win32Key::openSubKey(std::wstring_view path, KeyPtr& out) {
  return openKey(handle_, view_, path, out);
}

RegStatus Win32Key::createSubKey(std::wstring_view path, KeyPtr& out, bool* created) {
  return createKey(handle_, view_, path, out, created);
}

RegStatus Win32Key::enumSubKey(std::uint32_t index, std::wstring& name) {
  return withNameBuffer(255, name, [&](wchar_t* buf, DWORD* len) {
    return RegEnumKeyExW(handle_, index, buf, len, nullptr, nullptr, nullptr, nullptr);
  });
}

RegStatus Win32Key::enumValue(std::uint32_t index, std::wstring& name) {
  return withNameBuffer(255, name, [&](wchar_t* buf, DWORD* len) {
    return RegEnumValueW(handle_, index, buf, len, nullptr, nullptr, nullptr, nullptr);
  });
}

RegStatus Win32Key::queryValue(std::wstring_view name, RegValue& out) {
  const std::wstring valueName = terminated(name);
  // Every call is a round trip to the registry (under Wine, to the wineserver),
  // and most values are short: one read into a buffer that holds them, and a
  // second, sized by the first, only for a longer value. Read again while the
  // value keeps growing in between, so a text of any length comes back whole.
  constexpr DWORD kFirstRead = 256;
  std::vector<std::uint8_t> data(kFirstRead);
  LSTATUS rc = ERROR_MORE_DATA;
  for (int attempt = 0; attempt < 8 && rc == ERROR_MORE_DATA; ++attempt) {
    DWORD type = REG_NONE;
    DWORD got = static_cast<DWORD>(data.size());
    rc = RegQueryValueExW(handle_, valueName.c_str(), nullptr, &type, data.data(), &got);
    if (rc == ERROR_SUCCESS) {
      data.resize(got);
      out.type = static_cast<RegType>(type);
      out.data = std::move(data);
      return ERROR_SUCCESS;
    }
    if (rc == ERROR_MORE_DATA) data.resize(got > data.size() ? got : data.size() * 2);
  }
  return rc;
}

RegStatus Win32Key::setValue(std::wstring_view name, const RegValue& value) {
  return RegSetValueExW(handle_, terminated(name).c_str(), 0, static_cast<DWORD>(value.type),
                        value.data.empty() ? nullptr : value.data.data(),
                        static_cast<DWORD>(value.data.size()));
}

RegStatus Win32Key::deleteValue(std::wstring_view name) {
  return RegDeleteValueW(handle_, terminated(name).c_str());
}

RegStatus Win32Key::deleteSubKey(std::wstring_view name) {
  // An empty name would delete this key itself; callers always mean a sub-key.
  if (name.empty()) return ERROR_INVALID_PARAMETER;
  const std::wstring path = terminated(name);
  LSTATUS rc = RegDeleteKeyExW(handle_, path.c_str(), view_, 0);
  if (rc != ERROR_ACCESS_DENIED) return rc;
  // Windows refuses a key that still has keys of its own with the same code as
  // missing rights; tell the two apart here, once, for every caller.
  HKEY key = nullptr;
  if (RegOpenKeyExW(handle_, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | view_, &key) != ERROR_SUCCESS) return rc;
  wchar_t child[256];
  DWORD length = 256;
  const LSTATUS first = RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
  const bool hasChildren = first == ERROR_SUCCESS || first == ERROR_MORE_DATA;
  RegCloseKey(key);
  return hasChildren ? regerr::KeyHasChildren : rc;
}

HKEY Win32Registry::rootOf(Hive hive) noexcept {
  switch (hive) {
    case Hive::ClassesRoot: return HKEY_CLASSES_ROOT;
    case Hive::CurrentUser: return HKEY_CURRENT_USER;
    case Hive::LocalMachine: return HKEY_LOCAL_MACHINE;
  }
  return HKEY_CURRENT_USER;
}

REGSAM Win32Registry::viewFlag(RegView view) noexcept {
  return view == RegView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

RegStatus Win32Registry::open(RegRoot root, std::wstring_view path, KeyPtr& out) {
  return openKey(rootOf(root.hive), viewFlag(root.view), path, out);
}

RegStatus Win32Registry::create(RegRoot root, std::wstring_view path, KeyPtr& out, bool* created) {
  return createKey(rootOf(root.hive), viewFlag(root.view), path, out, created);
}

}  // namespace trova
