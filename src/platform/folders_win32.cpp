// The program's own folder and the system's folders.
#include <vector>

#include "platform/win32_platform.h"

#include <shlobj.h>

namespace trova {

namespace {
// Calls `get(buffer, size)`, which returns the length without the NUL when it
// fits and the size needed (NUL included) otherwise, as the folder calls do.
template <typename Get>
std::wstring folderFrom(Get get) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    UINT length = get(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
  return {};
}
}  // namespace

std::wstring Win32Folders::programFolder() {
  // The module path may be longer than MAX_PATH: grow until it fits.
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  std::wstring path;
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      path.assign(buffer.data(), length);
      break;
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
  std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  // Keep the backslash of a drive's root: "C:" alone means the current folder on C.
  if (slash == 2 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, slash);
}

std::wstring Win32Folders::systemFolder() {
  return folderFrom([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); });
}

std::wstring Win32Folders::windowsFolder() {
  return folderFrom([](wchar_t* b, UINT n) { return GetWindowsDirectoryW(b, n); });
}

std::wstring Win32Folders::localAppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return path;
}

}  // namespace trova
