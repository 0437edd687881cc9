#include "harness/registry_seed.h"

#include <stdexcept>

namespace trova::test {

RegistrySeed::~RegistrySeed() {
  for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) {
    RegDeleteTreeW(it->first, it->second.c_str());
    RegDeleteKeyW(it->first, it->second.c_str());
  }
}

HKEY RegistrySeed::create(HKEY root, const std::wstring& path) {
  owned_.emplace_back(root, path);
  HKEY key = nullptr;
  if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot seed a registry key");
  return key;
}

void RegistrySeed::text(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data, DWORD type) {
  HKEY key = create(root, path);
  LSTATUS rc = RegSetValueExW(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot seed a registry value");
}

void RegistrySeed::dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data) {
  HKEY key = create(root, path);
  LSTATUS rc = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data));
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot seed a registry value");
}

void RegistrySeed::key(HKEY root, const std::wstring& path) { RegCloseKey(create(root, path)); }

void RegistrySeed::clear(HKEY root, const std::wstring& path) {
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyW(root, path.c_str());
  owned_.emplace_back(root, path);
}

bool RegistrySeed::exists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool RegistrySeed::hasValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  return RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace trova::test
