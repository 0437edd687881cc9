#include "harness/saved_values.h"

#include <stdexcept>

#include "harness/registry_seed.h"

namespace trova::test {

void SavedValues::keep(HKEY root, const std::wstring& path, const std::wstring& name) {
  Saved s{root, path, name, std::nullopt, REG_NONE, std::nullopt};
  for (std::size_t end = path.find(L'\\');; end = path.find(L'\\', end + 1)) {
    const std::wstring prefix = path.substr(0, end);
    if (!RegistrySeed::exists(root, prefix)) {
      s.firstMissingKey = prefix;
      break;
    }
    if (end == std::wstring::npos) break;
  }
  HKEY key = nullptr;
  if (!s.firstMissingKey && RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    // The bytes as stored, terminator or not.
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
      std::vector<BYTE> data(size);
      LSTATUS rc = RegQueryValueExW(key, name.c_str(), nullptr, &s.type, data.data(), &size);
      RegCloseKey(key);
      if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot keep a registry value");
      data.resize(size);
      s.data = std::move(data);
    } else {
      RegCloseKey(key);
    }
  }
  saved_.push_back(std::move(s));
}

void SavedValues::clear(HKEY root, const std::wstring& path, const std::wstring& name) {
  keep(root, path, name);
  RegDeleteKeyValueW(root, path.c_str(), name.empty() ? nullptr : name.c_str());
}

void SavedValues::set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data,
                      DWORD size) {
  keep(root, path, name);
  if (RegSetKeyValueW(root, path.c_str(), name.c_str(), type, data, size) != ERROR_SUCCESS)
    throw std::runtime_error("cannot seed a registry value");
}

void SavedValues::dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data) {
  set(root, path, name, REG_DWORD, &data, sizeof(data));
}

void SavedValues::text(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data) {
  set(root, path, name, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

SavedValues::~SavedValues() {
  // Latest first, so a value kept twice ends as it was before the first.
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->firstMissingKey) {
      RegDeleteTreeW(it->root, it->firstMissingKey->c_str());
      RegDeleteKeyW(it->root, it->firstMissingKey->c_str());
    } else if (it->data) {
      RegSetKeyValueW(it->root, it->path.c_str(), it->name.c_str(), it->type, it->data->data(),
                      static_cast<DWORD>(it->data->size()));
    } else {
      RegDeleteKeyValueW(it->root, it->path.c_str(), it->name.empty() ? nullptr : it->name.c_str());
    }
  }
}

}  // namespace trova::test
