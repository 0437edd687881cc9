// A stand-in uninstaller: it writes its command line as the system handed it over, in UTF-8, to
// record_args.txt beside itself (written aside, then renamed: a waiting test never reads half).
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring self(32768, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
  const std::wstring record = self.substr(0, self.find_last_of(L'\\') + 1) + L"record_args.txt", part = record + L".part";
  const std::wstring line = GetCommandLineW();
  std::string utf8(line.size() * 3, '\0');
  utf8.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                                           utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const bool ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) && written == utf8.size();
  return CloseHandle(file) && ok && MoveFileExW(part.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 4;
}
