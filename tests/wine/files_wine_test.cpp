// The Win32 files, code page and folders, on Wine's file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace {

// A folder of its own for each test, removed with what is left in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    static int counter = 0;
    path_ = std::wstring(temp) + L"trova-files-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() {
    for (const auto& name : names()) {
      std::wstring p = file(name);
      SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(p.c_str())) RemoveDirectoryW(p.c_str());
    }
    RemoveDirectoryW(path_.c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::wstring& path() const { return path_; }
  std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

  // Every name in the folder, hidden ones included.
  std::set<std::wstring> names() const {
    std::set<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
      std::wstring n = data.cFileName;
      if (n != L"." && n != L"..") found.insert(n);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    return found;
  }

  void write(const std::wstring& name, const std::string& bytes, DWORD attributes = 0) const {
    HANDLE h = CreateFileW(file(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(h);
    if (attributes) {
      ASSERT_TRUE(SetFileAttributesW(file(name).c_str(), attributes));
      ASSERT_EQ(GetFileAttributesW(file(name).c_str()) & attributes, attributes)
          << "the file system does not keep DOS attributes";
    }
  }

 private:
  std::wstring path_;
};

std::string contentOf(const std::wstring& path) {
  Win32Files files;
  return files.read(path).value_or("<unreadable>");
}

TEST(Win32Files, ExistsForFilesIncludingHiddenAndSystemOnes) {
  ScratchFolder dir;
  Win32Files files;
  dir.write(L"plain.txt", "a");
  dir.write(L"hidden.txt", "b", FILE_ATTRIBUTE_HIDDEN);
  dir.write(L"system.txt", "c", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  dir.write(L"readonly.txt", "d", FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(CreateDirectoryW(dir.file(L"folder").c_str(), nullptr));

  EXPECT_TRUE(files.exists(dir.file(L"plain.txt")));
  EXPECT_TRUE(files.exists(dir.file(L"hidden.txt")));
  EXPECT_TRUE(files.exists(dir.file(L"system.txt")));
  EXPECT_TRUE(files.exists(dir.file(L"readonly.txt")));
  EXPECT_TRUE(files.exists(dir.file(L"PLAIN.TXT"))) << "names ignore case on Windows";
  EXPECT_FALSE(files.exists(dir.file(L"folder"))) << "a folder is not a file";
  EXPECT_FALSE(files.exists(dir.file(L"absent.txt")));
  EXPECT_FALSE(files.exists(dir.file(L"absent\\deeper.txt")));
}

TEST(Win32Files, ReadsTheWholeFileByteForByte) {
  ScratchFolder dir;
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes.push_back(static_cast<char>(i * 7 % 256));
  dir.write(L"big.bin", bytes);
  dir.write(L"empty.bin", "");
  Win32Files files;
  EXPECT_EQ(files.read(dir.file(L"big.bin")), bytes);
  EXPECT_EQ(files.read(dir.file(L"empty.bin")), std::string());

  FileResult why;
  EXPECT_EQ(files.read(dir.file(L"absent.txt"), &why), std::nullopt);
  EXPECT_FALSE(why.ok);
  EXPECT_EQ(why.reason, L"文件不存在");
}

TEST(Win32Files, ReplaceWritesNewAndExistingFilesWhole) {
  ScratchFolder dir;
  Win32Files files;
  auto target = dir.file(L"hosts");
  ASSERT_TRUE(files.replace(target, "first version, rather long\r\n").ok);
  EXPECT_EQ(contentOf(target), "first version, rather long\r\n");
  ASSERT_TRUE(files.replace(target, "short\r\n").ok);
  EXPECT_EQ(contentOf(target), "short\r\n") << "nothing of the longer old file may remain";
  ASSERT_TRUE(files.replace(target, "").ok);
  EXPECT_EQ(contentOf(target), "");
  EXPECT_EQ(dir.names(), std::set<std::wstring>{L"hosts"}) << "no temporary file is left";
}

TEST(Win32Files, ReplaceKeepsAHiddenFileHidden) {
  ScratchFolder dir;
  Win32Files files;
  dir.write(L"cisid.dat", "old", FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(files.replace(dir.file(L"cisid.dat"), "new").ok);
  EXPECT_EQ(contentOf(dir.file(L"cisid.dat")), "new");
  EXPECT_TRUE(GetFileAttributesW(dir.file(L"cisid.dat").c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(dir.names(), std::set<std::wstring>{L"cisid.dat"});
}

TEST(Win32Files, AFailedReplaceLeavesTheOldFileAndNoTemporaryFile) {
  ScratchFolder dir;
  Win32Files files;

  dir.write(L"locked.txt", "keep me", FILE_ATTRIBUTE_READONLY);
  FileResult r = files.replace(dir.file(L"locked.txt"), "lost");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, L"拒绝访问");
  EXPECT_EQ(contentOf(dir.file(L"locked.txt")), "keep me");

  r = files.replace(dir.file(L"no such folder\\new.txt"), "lost");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, L"路径无效");

  ASSERT_TRUE(CreateDirectoryW(dir.file(L"a folder").c_str(), nullptr));
  r = files.replace(dir.file(L"a folder"), "lost");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason, L"拒绝访问");

  EXPECT_EQ(dir.names(), (std::set<std::wstring>{L"a folder", L"locked.txt"}));
}

TEST(Win32Files, AFileOpenElsewhereWithoutSharingIsReportedNotLost) {
  ScratchFolder dir;
  Win32Files files;
  dir.write(L"busy.txt", "in use");
  // Held open with no sharing at all, as an editor or a scanner might.
  HANDLE h = CreateFileW(dir.file(L"busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FileResult r = files.replace(dir.file(L"busy.txt"), "new");
  CloseHandle(h);
  EXPECT_FALSE(r.ok);
  // Windows answers a sharing violation, Wine access denied.
  EXPECT_TRUE(r.reason == L"文件正被其他程序使用" || r.reason == L"拒绝访问");
  EXPECT_EQ(contentOf(dir.file(L"busy.txt")), "in use");
  EXPECT_EQ(dir.names(), std::set<std::wstring>{L"busy.txt"});
}

TEST(Win32Files, TextLinesRoundTripInTheAnsiCodePage) {
  ScratchFolder dir;
  Win32Files files;
  const std::vector<std::wstring> lines{L"# 网站免疫", L"127.0.0.1 ad.example.com", L""};
  ASSERT_TRUE(writeTextLines(files, dir.file(L"hosts"), lines).ok);
  EXPECT_EQ(contentOf(dir.file(L"hosts")),
            "# \xCD\xF8\xD5\xBE\xC3\xE2\xD2\xDF\r\n127.0.0.1 ad.example.com\r\n\r\n");
  EXPECT_EQ(readTextLines(files, dir.file(L"hosts")), lines);
}

TEST(Win32CodePage, IsGbkUnderAChineseLocale) {
  ASSERT_EQ(GetACP(), 936u) << "run under LANG=zh_CN.UTF-8 (scripts/wine-env.sh sets it)";
  EXPECT_EQ(toAnsi(L"中文"), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(fromAnsi("\xD6\xD0\xCE\xC4"), L"中文");
  EXPECT_EQ(toAnsi(L"a\u2603b"), "a?b") << "a character GBK lacks becomes '?'";
  EXPECT_EQ(toAnsi(L""), "");
  EXPECT_EQ(fromAnsi(""), L"");
  // Embedded NULs are data like any other byte.
  EXPECT_EQ(fromAnsi(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Win32Folders, NameTheProgramsAndTheSystemsFolders) {
  Win32Folders folders;
  Win32Files files;
  const std::wstring program = folders.programFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_NE(program.back(), L'\\');
  EXPECT_TRUE(files.exists(joinPath(program, L"trova_wine_tests.exe")));

  const std::wstring windows = folders.windowsFolder();
  const std::wstring system = folders.systemFolder();
  EXPECT_TRUE(GetFileAttributesW(windows.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(GetFileAttributesW(system.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_GT(system.size(), windows.size());
  EXPECT_TRUE(equalsNoCase(system.substr(0, windows.size()), windows));
  EXPECT_TRUE(equalsNoCase(system.substr(windows.size()), L"\\system32"));
  EXPECT_TRUE(files.exists(joinPath(system, L"drivers\\etc\\hosts")));
}

}  // namespace
}  // namespace trova::test
