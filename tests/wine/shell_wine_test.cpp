// Starting programs and opening documents through the real shell.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/command_line.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace {

bool waitForFile(const std::wstring& path, DWORD timeoutMs = 20000) {
  DWORD start = GetTickCount();
  while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

std::wstring tempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring path = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId()) + L".txt";
  DeleteFileW(path.c_str());
  return path;
}

TEST(Win32Shell, StartsAProgramWithItsArguments) {
  Win32Shell shell;
  Win32Folders folders;
  const std::wstring out = tempFile(L"trova-shell-start-");
  // A stored command line, split as the uninstall page splits it.
  auto [program, arguments] = splitCommandLine(
      L"\"" + folders.systemFolder() + L"\\cmd.exe\" /c echo started> \"" + out + L"\"");
  ShellResult r = shell.start(program, arguments);
  ASSERT_TRUE(r.ok) << "reason given: " << r.reason.size() << " characters";
  EXPECT_TRUE(r.reason.empty());
  EXPECT_TRUE(waitForFile(out)) << "the program did not run with its arguments";
  DeleteFileW(out.c_str());
}

TEST(Win32Shell, AProgramNamedThroughAVariableStarts) {
  Win32Shell shell;
  const std::wstring out = tempFile(L"trova-shell-variable-");
  auto [program, arguments] =
      splitCommandLine(L"%SystemRoot%\\system32\\cmd.exe /c echo started> \"" + out + L"\"");
  ASSERT_EQ(program, L"%SystemRoot%\\system32\\cmd.exe");
  ShellResult r = shell.start(program, arguments);
  ASSERT_TRUE(r.ok) << "reason given: " << r.reason.size() << " characters";
  EXPECT_TRUE(waitForFile(out)) << "the program named through %SystemRoot% did not run";
  DeleteFileW(out.c_str());
}

TEST(Win32Shell, OpeningADocumentStartsItsProgram) {
  // A .bat file is opened by running it: the shell found its program.
  Win32Shell shell;
  const std::wstring out = tempFile(L"trova-shell-open-");
  const std::wstring script = out + L".bat";
  HANDLE h = CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::string body = "@echo opened> \"";
  for (wchar_t c : out) body.push_back(static_cast<char>(c));  // the temp path is ASCII here
  body += "\"\r\n";
  DWORD written = 0;
  WriteFile(h, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
  CloseHandle(h);

  ShellResult r = shell.open(script);
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(waitForFile(out));
  DeleteFileW(out.c_str());
  DeleteFileW(script.c_str());
}

TEST(Win32Shell, AMissingProgramIsAFailureWithAReason) {
  Win32Shell shell;
  ShellResult r = shell.start(L"C:\\no\\such\\program.exe", L"/S");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.reason.empty());
  r = shell.open(L"C:\\no\\such\\document.txt");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.reason.empty());
  r = shell.start(L"", L"");
  EXPECT_FALSE(r.ok);
}

}  // namespace
}  // namespace trova::test
