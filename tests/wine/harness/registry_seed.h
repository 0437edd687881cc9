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
            DWORD type = REG_SZ);
  void dword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD data);
  void key(HKEY root, const std::wstring& path);
  // A value the window may change comes back as it is now.
  void keep(HKEY root, const std::wstring& path, const std::wstring& name);
  // A tree that is the test's alone goes now and again at the end.
  void clear(HKEY root, const std::wstring& path);
  // A file with these bytes, or none.
  void file(const std::wstring& path, const std::optional<std::string>& bytes, DWORD attributes = 0);

  static bool exists(HKEY root, const std::wstring& path);
  static bool hasValue(HKEY root, const std::wstring& path, const std::wstring& name) {
    return rawValue(root, path, name).has_value();
  }

 private:
  struct Undo {
    HKEY root;  // null for a file
    std::wstring path, name, made;  // made: the outermost key the test made
    std::optional<RawValue> before;  // for a file: its attributes and bytes
  };
  std::vector<Undo> undo_;
};

// A program run as a user at Wine's command line would, e.g.
// tool(L"reg.exe query HKCU\\Software"): its exit code and what it printed.
constexpr DWORD kRegNotFound = 1;
struct ToolOutput {
  DWORD exitCode = 0xFFFFFFFF;  // for one that did not start or end
  std::wstring text;
  // True when a line lists the value so: "name    REG_SZ    data".
  bool lists(const std::wstring& name, const std::wstring& type, const std::wstring& data) const;
};
ToolOutput tool(const std::wstring& commandLine);
inline ToolOutput regExe(const std::wstring& arguments) { return tool(L"reg.exe " + arguments); }
inline ToolOutput regQuery(const std::wstring& arguments) { return regExe(L"query " + arguments); }
inline DWORD regeditImport(const std::wstring& file) { return tool(L"regedit.exe /s \"" + file + L"\"").exitCode; }

std::string fileBytes(const std::wstring& path);  // empty when missing
std::string encoded(const std::wstring& text, UINT codePage);
std::wstring decoded(const std::string& bytes, UINT codePage);
std::wstring programFolder();
std::vector<std::wstring> changeSets();  // the history's files, oldest first

// A folder of the test's own under %TEMP%, removed with its files at the end.
class Scratch {
 public:
  explicit Scratch(const std::wstring& name);
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
  std::vector<std::wstring> names() const;

 private:
  std::wstring path_;
};

}  // namespace trova::test
