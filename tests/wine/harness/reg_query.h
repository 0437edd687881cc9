// Runs reg.exe inside Wine, as a user at a command line would, to check the
// registry from outside the program under test.
#pragma once
#include <windows.h>

#include <string>

namespace trova::test {

// reg.exe's exit code for a key or value that is not there; a reg.exe that
// did not run at all leaves kRegDidNotRun, so "absent" cannot pass by accident.
constexpr DWORD kRegNotFound = 1;
constexpr DWORD kRegDidNotRun = 0xFFFFFFFF;

struct RegOutput {
  DWORD exitCode = kRegDidNotRun;
  std::wstring text;  // what it printed, decoded

  // True when one line of the output lists the value with this type and data.
  bool lists(const std::wstring& name, const std::wstring& type, const std::wstring& data) const;
};

// Runs `reg.exe <arguments>` (e.g. "add HKLM\\... /v x /d y /f /reg:32"), and
// `reg.exe query <arguments>`. Redirected, reg.exe writes in the OEM code page
// (GBK on a Chinese system); its error messages are read too.
RegOutput regExe(const std::wstring& arguments);
RegOutput regQuery(const std::wstring& arguments);
// Imports a registry file with regedit.exe /s (no questions asked), as a user
// double-clicking it would; its exit code. reg.exe imports with regExe(L"import …").
DWORD regeditImport(const std::wstring& file);

}  // namespace trova::test
