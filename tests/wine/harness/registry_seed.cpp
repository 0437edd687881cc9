#include "harness/registry_seed.h"

#include <stdexcept>

namespace trova::test {

RegistrySeed::~RegistrySeed() {
  for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
    if (!it->firstMissingKey.empty()) {
      RegDeleteTreeW(it->root, it->firstMissingKey.c_str());
      RegDeleteKeyW(it->root, it->firstMissingKey.c_str());
    } else if (it->present) {
      RegSetKeyValueW(it->root, it->path.c_str(), it->name.c_str(), it->type, it->data.data(),
                      static_cast<DWORD>(it->data.size()));
    } else {
      RegDeleteKeyValueW(it->root, it->path.c_str(), it->name.c_str());
    }
  }
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

void RegistrySeed::keepValue(HKEY root, const std::wstring& path, const std::wstring& name) {
  Kept k{root, path, name, false, REG_NONE, {}, {}};
  DWORD size = 0;
  if (RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &k.type, nullptr, &size) ==
      ERROR_SUCCESS) {
    k.data.resize(size);
    k.present = RegGetValueW(root, path.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &k.type, k.data.data(),
                             &size) == ERROR_SUCCESS;
    k.data.resize(size);
  }
  k.firstMissingKey = firstMissingKey(root, path);
  kept_.push_back(std::move(k));
}

// The shortest leading part of the path that is missing is what the test makes.
std::wstring RegistrySeed::firstMissingKey(HKEY root, const std::wstring& path) {
  for (std::size_t at = 0; at != std::wstring::npos;) {
    at = path.find(L'\\', at + 1);
    const std::wstring part = path.substr(0, at);
    if (!exists(root, part)) return part;
  }
  return {};
}

void RegistrySeed::along(HKEY root, const std::wstring& path) {
  if (const std::wstring missing = firstMissingKey(root, path); !missing.empty()) owned_.emplace_back(root, missing);
}

void RegistrySeed::set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                       DWORD size) {
  keepValue(root, path, name);
  if (RegSetKeyValueW(root, path.c_str(), name.c_str(), type, data, size) != ERROR_SUCCESS)
    throw std::runtime_error("cannot seed a registry value");
}

void RegistrySeed::replace(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data) {
  set(root, path, name, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void RegistrySeed::replace(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data) {
  set(root, path, name, REG_DWORD, &data, sizeof(data));
}

}  // namespace trova::test
