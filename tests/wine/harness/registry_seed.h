// Seeds Wine's real registry for end-to-end tests and removes what it wrote.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace trova::test {

// Remembers every key it creates at top level and deletes those trees when it
// goes, so each test leaves the prefix as it found it.
class RegistrySeed {
 public:
  RegistrySeed() = default;
  ~RegistrySeed();
  RegistrySeed(const RegistrySeed&) = delete;
  RegistrySeed& operator=(const RegistrySeed&) = delete;

  void text(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data,
            DWORD type = REG_SZ);
  void dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data);
  void key(HKEY root, const std::wstring& path);
  // Removes a tree now and also when the seed goes (it may have been there before).
  void clear(HKEY root, const std::wstring& path);

  static bool exists(HKEY root, const std::wstring& path);
  static bool hasValue(HKEY root, const std::wstring& path, const std::wstring& name);

 private:
  HKEY create(HKEY root, const std::wstring& path);
  std::vector<std::pair<HKEY, std::wstring>> owned_;
};

}  // namespace trova::test
