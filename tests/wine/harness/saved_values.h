// Keeps registry values a test changes that belong to the system (a class's
// open command, a TCP/IP value) and puts each back exactly as it was: the
// same type and data, or absent again, with the keys the test made removed.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace trova::test {

class SavedValues {
 public:
  SavedValues() = default;
  ~SavedValues();
  SavedValues(const SavedValues&) = delete;
  SavedValues& operator=(const SavedValues&) = delete;

  // Remembers the value (`name` "" = the default value) before anything
  // touches it.
  void keep(HKEY root, const std::wstring& path, const std::wstring& name);
  // Remembers the value, then removes it, so the test starts from nothing.
  void clear(HKEY root, const std::wstring& path, const std::wstring& name);
  // Remembers the value, then sets it.
  void dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data);
  void text(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data);

 private:
  struct Saved {
    HKEY root;
    std::wstring path, name;
    std::optional<std::wstring> firstMissingKey;  // the outermost key of the path that was not there
    DWORD type = REG_NONE;
    std::optional<std::vector<BYTE>> data;  // none: the value was not there
  };
  void set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size);
  std::vector<Saved> saved_;
};

}  // namespace trova::test
