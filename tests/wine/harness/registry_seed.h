// Seeds Wine's real registry for end-to-end tests and removes what it wrote.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
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
  // Removes, when the seed goes, the keys along `path` that are not there now,
  // whoever makes them: the test, or the program under test.
  void along(HKEY root, const std::wstring& path);
  // For keys the prefix has of its own, which must stay: keeps one value as
  // it is now and, when the seed goes, puts it back or removes it, and
  // removes the keys along `path` that were not there. `replace` then sets it.
  void keepValue(HKEY root, const std::wstring& path, const std::wstring& name);
  void replace(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data);
  void replace(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data);

  static bool exists(HKEY root, const std::wstring& path);
  static bool hasValue(HKEY root, const std::wstring& path, const std::wstring& name);

 private:
  HKEY create(HKEY root, const std::wstring& path);
  static std::wstring firstMissingKey(HKEY root, const std::wstring& path);
  void set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size);
  std::vector<std::pair<HKEY, std::wstring>> owned_;
  struct Kept {
    HKEY root;
    std::wstring path, name;
    bool present;
    DWORD type;
    std::vector<BYTE> data;
    std::wstring firstMissingKey;  // the top of the keys the test made, or empty
  };
  std::vector<Kept> kept_;
};

}  // namespace trova::test
