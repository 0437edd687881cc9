// What a test puts in place before the window starts, and how it reads the
// results from outside the program: Wine's reg.exe and regedit, files' bytes.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace trova::test {

struct RawValue {  // a value's type and bytes as stored
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool operator==(const RawValue&) const = default;
};
std::optional<RawValue> rawValue(HKEY root, const std::wstring& path, const std::wstring& name);
RawValue textValue(const std::wstring& text, DWORD type = REG_SZ);  // REG_MULTI_SZ: strings joined by NULs

// Sets registry values and files; when it goes, what they replaced comes back
// and the keys and files they made go, latest first.
class RegistrySeed {
 public:
  RegistrySeed() = default;
  RegistrySeed(const RegistrySeed&) = delete;
  ~RegistrySeed();
  void text(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& data,
            DWORD type = REG_SZ) {
    set(root, path, name, type, data.c_str(), (data.size() + 1) * sizeof(wchar_t));
  }
  void dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data) {
    set(root, path, name, REG_DWORD, &data, sizeof(data));
  }
  void keep(HKEY root, const std::wstring& path, const std::wstring& name);  // one the window may change
  void clear(HKEY root, const std::wstring& path);  // a tree that is the test's alone, gone now and at the end
  void file(const std::wstring& path, const std::optional<std::string>& bytes, DWORD attributes = 0);
  std::wstring folder(const std::wstring& name);  // the test's own under %TEMP%, removed with its files
  static bool exists(HKEY root, const std::wstring& path);

 private:
  void set(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, std::size_t size);
  std::vector<std::function<void()>> undo_;
};

// A program run as from Wine's command line: its exit code (all ones when it
// did not start or end) and what it printed.
struct ToolOutput { DWORD exitCode = 0xFFFFFFFF; std::wstring text; };
ToolOutput tool(std::wstring commandLine);
inline std::wstring q(const std::wstring& text) { return L"\"" + text + L"\""; }
inline ToolOutput regExe(const std::wstring& arguments) { return tool(L"reg.exe " + arguments); }
inline ToolOutput regQuery(const std::wstring& arguments) { return regExe(L"query " + arguments); }
constexpr DWORD kRegNotFound = 1;
// Whether reg.exe lists the value so ("/reg:32" and the like in `view`).
bool regLists(const std::wstring& key, const std::wstring& name, const std::wstring& type, const std::wstring& data,
              const std::wstring& view = L"");

std::string fileBytes(const std::wstring& path);  // empty when missing
std::string encoded(const std::wstring& text, UINT codePage);
std::wstring decoded(const std::string& bytes, UINT codePage);
std::wstring programFolder();
std::vector<std::wstring> filesIn(const std::wstring& folder, const std::wstring& ending = L"");  // names, sorted

}  // namespace trova::test
