// What a test puts in place before the window starts, and how it reads the
// results from outside the program: Wine's reg.exe and regedit.exe, and
// files byte for byte.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace trova::test {

// A value's type and bytes as stored.
struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const RawValue&) const = default;
};
std::optional<RawValue> rawValue(HKEY root, const std::wstring& path, const std::wstring& name);
RawValue textValue(const std::wstring& text, DWORD type = REG_SZ);  // REG_MULTI_SZ: strings joined by NULs

// Sets registry values and files for a test; when it goes, what they replaced
// comes back and the keys and files they made go, latest first.
class RegistrySeed {
 public:
  RegistrySeed() = default;
  ~RegistrySeed();
  RegistrySeed(const RegistrySeed&) = delete;
  RegistrySeed& operator=(const RegistrySeed&) = delete;

  void text(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data,
            DWORD type = REG_SZ) {
    set(root, path, name, type, data.c_str(), (data.size() + 1) * sizeof(wchar_t));
  }
  void dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data) {
    set(root, path, name, REG_DWORD, &data, sizeof(data));
  }
  void key(HKEY root, const std::wstring& path);
  void keep(HKEY root, const std::wstring& path, const std::wstring& name);  // one the window may change
  void clear(HKEY root, const std::wstring& path);  // a tree that is the test's alone, gone now and at the end
  void file(const std::wstring& path, const std::optional<std::string>& bytes, DWORD attributes = 0);
  // A folder of the test's own under %TEMP%, removed with what is in it.
  std::wstring folder(const std::wstring& name);

  static bool exists(HKEY root, const std::wstring& path);

 private:
  void set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, std::size_t size);
  struct Undo {
    HKEY root;  // none for a file or folder
    std::wstring path, name, made;  // made: the outermost key, or the folder, the test made
    std::optional<RawValue> before;  // for a file: its attributes and bytes
  };
  std::vector<Undo> undo_;
};

// A program run as a user at Wine's command line would: its exit code (all
// ones when it did not start or end) and what it printed.
struct ToolOutput {
  DWORD exitCode = 0xFFFFFFFF;
  std::wstring text;
};
ToolOutput tool(const std::wstring& commandLine);
inline std::wstring q(const std::wstring& text) { return L"\"" + text + L"\""; }
inline ToolOutput regExe(const std::wstring& arguments) { return tool(L"reg.exe " + arguments); }
inline ToolOutput regQuery(const std::wstring& arguments) { return regExe(L"query " + arguments); }
constexpr DWORD kRegNotFound = 1;
// Whether reg.exe lists the value so ("/reg:32" and the like in `view`).
bool regLists(const std::wstring& key, const std::wstring& name, const std::wstring& type, const std::wstring& data,
              const std::wstring& view = L"");
// Imports a registry file as regedit /s or reg import does; the exit code.
DWORD regImport(const std::wstring& file, bool regedit);

std::string fileBytes(const std::wstring& path);  // empty when missing
std::string encoded(const std::wstring& text, UINT codePage);
std::wstring decoded(const std::string& bytes, UINT codePage);
std::wstring programFolder();
std::vector<std::wstring> filesIn(const std::wstring& folder, const std::wstring& ending);  // names, sorted
std::vector<std::wstring> changeSets();  // the history's files, oldest first

}  // namespace trova::test
