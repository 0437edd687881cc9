// Windows error codes in words a user of the program understands.
#include "platform/win32_platform.h"

namespace trova {

std::wstring describeSystemError(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return L"";
    case ERROR_FILE_NOT_FOUND: return L"文件不存在";
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_DRIVE:
    case ERROR_FILENAME_EXCED_RANGE: return L"路径无效";
    case ERROR_ACCESS_DENIED: return L"拒绝访问";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return L"文件正被其他程序使用";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return L"磁盘空间不足";
    case ERROR_WRITE_PROTECT: return L"磁盘处于写保护状态";
    case ERROR_NO_ASSOCIATION: return L"找不到打开它的程序";
    case ERROR_CANCELLED: return L"操作已取消";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return L"文件已存在";
    default: break;
  }
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message;
  if (length && text) message.assign(text, length);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L' ' || message.back() == L'.' ||
                              message.back() == L'。'))
    message.pop_back();
  if (message.empty()) message = L"操作失败";
  return message + L" (错误代码 " + std::to_wstring(code) + L")";
}

}  // namespace trova
