// A stand-in uninstaller for the end-to-end tests: it records how it was
// started and ends. It writes its whole command line, exactly as the system
// handed it over (GetCommandLineW), in UTF-8 to record_args.txt beside itself.
// The file appears whole or not at all (written aside, then renamed), so a
// test that waits for it never reads half a line.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::wstring self(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  if (length == 0 || length >= self.size()) return 2;
  self.resize(length);
  const std::wstring folder = self.substr(0, self.find_last_of(L"\\/") + 1);
  const std::wstring record = folder + L"record_args.txt";
  const std::wstring part = record + L".part";

  const std::wstring line = GetCommandLineW();
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  if (bytes > 0)
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);

  HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  BOOL ok = WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) &&
            written == utf8.size();
  ok = CloseHandle(file) && ok;
  if (!ok || !MoveFileExW(part.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileW(part.c_str());
    return 4;
  }
  return 0;
}
