// Opening documents and starting programs through the shell.
#include "platform/win32_platform.h"

#include <objbase.h>
#include <shellapi.h>

namespace trova {

namespace {

ShellResult execute(const std::wstring& file, const std::wstring& parameters, bool expandVariables) {
  if (file.empty()) return {false, describeSystemError(ERROR_FILE_NOT_FOUND)};
  // Some handlers the shell picks are COM objects; they need COM on this thread.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // No "open with" box from the shell: a failure is reported by the program itself.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (expandVariables ? SEE_MASK_DOENVSUBST : 0);
  info.hwnd = nullptr;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  BOOL ok = ShellExecuteExW(&info);
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();

  if (SUCCEEDED(com)) CoUninitialize();
  if (ok) return {};
  if (error == ERROR_SUCCESS) error = ERROR_FILE_NOT_FOUND;
  return {false, describeSystemError(error)};
}

}  // namespace

// A web address is never expanded: its percent escapes could read as variables.
ShellResult Win32Shell::open(const std::wstring& target) { return execute(target, L"", false); }

ShellResult Win32Shell::start(const std::wstring& program, const std::wstring& arguments) {
  // Stored commands often name their program as "%SystemRoot%\\...".
  return execute(program, arguments, true);
}

}  // namespace trova
