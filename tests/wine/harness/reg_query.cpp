#include "harness/reg_query.h"

namespace trova::test {

bool RegOutput::lists(const std::wstring& name, const std::wstring& type, const std::wstring& data) const {
  const std::wstring wanted = name + L"    " + type + L"    " + data;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    line.erase(0, line.find_first_not_of(L" \t"));
    if (line == wanted) return true;
    start = end + 1;
  }
  return false;
}

RegOutput regQuery(const std::wstring& arguments) { return regExe(L"query " + arguments); }

// Runs reg.exe as a user would from a console and reads what it prints.
// Redirected, reg.exe writes in the OEM code page (GBK here).
RegOutput regExe(const std::wstring& arguments) {
  RegOutput out;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return out;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr);

  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(system) + L"\\reg.exe\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nul;
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                nullptr, &si, &pi);
  CloseHandle(writeEnd);
  CloseHandle(nul);
  if (!started) {
    CloseHandle(readEnd);
    return out;
  }

  // Read while it runs, so a full pipe cannot stall it; give up after a while.
  std::string bytes;
  const DWORD begin = GetTickCount();
  for (;;) {
    DWORD available = 0;
    if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
      std::string chunk(available, '\0');
      DWORD got = 0;
      if (ReadFile(readEnd, chunk.data(), available, &got, nullptr)) bytes.append(chunk.data(), got);
      continue;
    }
    if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) {
      // Whatever it wrote last is in the pipe now.
      char chunk[4096];
      DWORD got = 0;
      while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
             ReadFile(readEnd, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        bytes.append(chunk, got);
      break;
    }
    if (GetTickCount() - begin > 30000) {
      TerminateProcess(pi.hProcess, kRegDidNotRun);
      WaitForSingleObject(pi.hProcess, 5000);
      break;
    }
  }
  GetExitCodeProcess(pi.hProcess, &out.exitCode);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(readEnd);

  int n = MultiByteToWideChar(GetOEMCP(), 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  out.text.resize(static_cast<std::size_t>(n));
  MultiByteToWideChar(GetOEMCP(), 0, bytes.data(), static_cast<int>(bytes.size()), out.text.data(), n);
  return out;
}

DWORD regeditImport(const std::wstring& file) {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(windows) + L"\\regedit.exe\" /s \"" + file + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return kRegDidNotRun;
  DWORD code = kRegDidNotRun;
  if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, kRegDidNotRun);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

}  // namespace trova::test
