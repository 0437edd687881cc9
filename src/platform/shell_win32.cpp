// Opening documents and starting programs through the shell.
#include "platform/win32_platform.h"

#include <objbase.h>
#include <shellapi.h>

namespace trova {

namespace {

ShellResult execute(const std::wstring& file, const std::wstring& parameters) {
  if (file.empty()) return {false, describeSystemError(ERROR_FILE_NOT_FOUND)};
  // Some handlers the shell picks are COM objects; they need COM on this thread.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // No "open with" box from the shell: a failure is reported by the program itself.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
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

// Nothing is expanded here: a web address's percent escapes could read as
// variables, and a stored command's variables are expanded by the caller
// before it is split into program and arguments.
ShellResult Win32Shell::open(const std::wstring& target) { return execute(target, L""); }

ShellResult Win32Shell::start(const std::wstring& program, const std::wstring& arguments) {
  return execute(program, arguments);
}

std::wstring Win32Shell::expandVariables(const std::wstring& text) {
  if (text.find(L'%') == std::wstring::npos) return text;
  std::wstring out(text.size() + 256, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD needed = ExpandEnvironmentStringsW(text.c_str(), out.data(), static_cast<DWORD>(out.size()));
    if (needed == 0) return text;
    if (needed <= out.size()) {
      out.resize(needed - 1);  // without the terminator
      return out;
    }
    out.resize(needed);
  }
  return text;
}

}  // namespace trova
