// The website immunity page through the real window under Wine: the prefix's
// own hosts file is read into the owner-data list box, entries are added
// through the input boxes and deleted as a user does it, and the file saved is
// compared byte for byte. Saves that cannot be done leave the file whole.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "formats/hosts_file.h"
#include "harness/ui_session.h"
#include "platform/win32_platform.h"
#include "win32/controls.h"

namespace trova::test {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;
constexpr int kHostsTab = 3;  // "网站免疫" on TabStrip_cjmy
const std::wstring kParameters = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";

std::wstring systemEtc() {
  wchar_t folder[MAX_PATH] = {};
  GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(folder) + L"\\drivers\\etc";
}

std::wstring windowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  GetWindowsDirectoryW(folder, MAX_PATH);
  return folder;
}

std::optional<std::string> contentOf(const std::wstring& path) {
  Win32Files files;
  return files.read(path);
}

void put(const std::wstring& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  CloseHandle(h);
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), attributes));
}

void remove(const std::wstring& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

std::set<std::wstring> namesIn(const std::wstring& folder) {
  std::set<std::wstring> found;
  WIN32_FIND_DATAW data;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return found;
  do found.insert(data.cFileName);
  while (FindNextFileW(h, &data));
  FindClose(h);
  return found;
}

// Keeps the prefix's hosts files and "DataBasePath" as they were and puts them
// back when the test ends, whatever it did to them.
class PrefixHosts {
 public:
  PrefixHosts() {
    for (const auto& folder : {systemEtc(), windowsFolder()})
      for (const wchar_t* name : {kHostsFileName, kHostsBackupName}) {
        const std::wstring path = folder + L"\\" + name;
        files_.push_back({path, contentOf(path), GetFileAttributesW(path.c_str())});
      }
    DWORD size = sizeof(dataBasePath_);
    hadDataBasePath_ = RegGetValueW(HKEY_LOCAL_MACHINE, kParameters.c_str(), L"DataBasePath", RRF_RT_ANY,
                                    &dataBasePathType_, dataBasePath_, &size) == ERROR_SUCCESS;
    dataBasePathSize_ = size;
  }
  ~PrefixHosts() {
    for (const auto& f : files_) {
      remove(f.path);
      if (f.bytes) put(f.path, *f.bytes, f.attributes);
    }
    if (hadDataBasePath_)
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, kParameters.c_str(), L"DataBasePath", dataBasePathType_, dataBasePath_,
                      dataBasePathSize_);
  }
  PrefixHosts(const PrefixHosts&) = delete;
  PrefixHosts& operator=(const PrefixHosts&) = delete;

 private:
  struct Kept {
    std::wstring path;
    std::optional<std::string> bytes;
    DWORD attributes;
  };
  std::vector<Kept> files_;
  bool hadDataBasePath_ = false;
  DWORD dataBasePathType_ = 0, dataBasePathSize_ = 0;
  BYTE dataBasePath_[2048] = {};
};

// Types into the next input box titled "添加" and presses OK (or Cancel);
// gives back its prompt and the text it offered.
std::pair<std::wstring, std::wstring> answerInput(const UiSession& ui, const std::optional<std::wstring>& typed,
                                                  int button = IDOK) {
  HWND box = ui.waitForDialog(L"添加");
  if (!box) {
    ADD_FAILURE() << "no input box";
    return {};
  }
  HWND field = GetDlgItem(box, Win32Dialogs::kInputEditId);
  std::pair<std::wstring, std::wstring> asked{ui.dialogText(box), win32::windowText(field)};
  if (typed) SetWindowTextW(field, typed->c_str());
  ui.answer(box, button);
  EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
  ui.sync();
  return asked;
}

// The text of the next box titled "提示", which is then closed.
std::wstring notice(const UiSession& ui) {
  HWND box = ui.waitForDialog(L"提示");
  if (!box) return L"<no box>";
  const std::wstring text = ui.dialogText(box);
  ui.answer(box);
  waitUntil([&] { return !IsWindow(box); });
  ui.sync();
  return text;
}

const std::string kUtf8Line = "127.0.0.1 \xE4\xBE\x8B\xE5\xAD\x90.com";  // 例子.com in UTF-8
const std::string kGbkLine = "127.0.0.1\t\xC0\xFD\xD7\xD3.net  ";        // tab-separated GBK, trailing blanks

TEST(HostsWindow, EntriesAddedAndDeletedAreSavedByteForByteOverAHiddenSystemFile) {
  PrefixHosts keep;
  const std::wstring hosts = systemEtc() + L"\\hosts", backup = systemEtc() + L"\\hosts.bak";
  remove(backup);
  const std::string original =
      "\xEF\xBB\xBF# the user's notes\r\n" + kUtf8Line + "\n\r\n#0.0.0.0 disabled.example\r\n" + kGbkLine +
      "\r\n0.0.0.0 gone.example\r\n";
  put(hosts, original, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  const auto before = namesIn(systemEtc());

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kHostsTab);
  EXPECT_EQ(ui.rows(L"List_wzmy"), (Rows{{L"127.0.0.1 例子.com"}, {L"127.0.0.1\t例子.net  "}, {L"0.0.0.0 gone.example"}}));

  // A click selects a row and the arrow keys move the selection, as in any list box.
  ui.clickRow(L"List_wzmy", 1);
  PostMessageW(ui.control(L"List_wzmy"), WM_KEYDOWN, VK_DOWN, 0);
  ui.press(L"Command_wzmysc");
  ui.press(L"Command_wzmytj");
  EXPECT_EQ(answerInput(ui, L"ad.example.com"), std::make_pair(std::wstring(L"输入网站地址,如www.example.com"), std::wstring()));
  EXPECT_EQ(answerInput(ui, std::nullopt),
            std::make_pair(std::wstring(L"输入IP地址,如需屏蔽,输入127.0.0.255"), std::wstring(L"127.0.0.255")));
  ui.press(L"Command_wzmytj");
  answerInput(ui, L"广告.example.com");
  answerInput(ui, L"typed, then cancelled", IDCANCEL);
  EXPECT_EQ(ui.rows(L"List_wzmy"), (Rows{{L"127.0.0.1 例子.com"},
                                         {L"127.0.0.1\t例子.net  "},
                                         {L"127.0.0.255      ad.example.com"},
                                         {L"      广告.example.com"}}));
  EXPECT_EQ(contentOf(hosts), original) << "only a save writes";

  ui.press(L"Command_wzmybc");
  EXPECT_EQ(notice(ui), L"保存应用成功!\r\n原hosts文件已备份为 " + backup);
  std::string expected(writeHostsFile({}));
  expected += kUtf8Line + "\r\n" + kGbkLine + "\r\n127.0.0.255      ad.example.com\r\n      \xB9\xE3\xB8\xE6.example.com\r\n";
  EXPECT_EQ(contentOf(hosts), expected);
  EXPECT_EQ(GetFileAttributesW(hosts.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(contentOf(backup), original);
  auto after = before;
  after.insert(L"hosts.bak");
  EXPECT_EQ(namesIn(systemEtc()), after) << "no temporary file is left";

  // The save is a change set: "撤销" on 工具 brings the file back byte for byte.
  ui.pickTab(L"TabStrip_cjmy", 4);
  const auto sets = ui.rows(L"ListView_gjls");
  ASSERT_FALSE(sets.empty());
  EXPECT_EQ(sets[0][1] + L" · " + sets[0][2], L"网站免疫 · 保存应用");
  ui.clickRow(L"ListView_gjls", 0);
  ui.press(L"Command_gjcx");
  EXPECT_EQ(notice(ui).rfind(L"已撤销“网站免疫 · 保存应用”", 0), 0u);
  EXPECT_EQ(contentOf(hosts), original);
}

TEST(HostsWindow, WithoutDataBasePathOrTheSystemFoldersFileTheWindowsFoldersIsUsed) {
  PrefixHosts keep;
  ASSERT_EQ(RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kParameters.c_str(), L"DataBasePath"), ERROR_SUCCESS);
  remove(systemEtc() + L"\\hosts");
  const std::wstring hosts = windowsFolder() + L"\\hosts";
  remove(windowsFolder() + L"\\hosts.bak");
  put(hosts, "1.2.3.4 fallback.example\r\n");

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", kHostsTab);
  EXPECT_EQ(ui.rows(L"List_wzmy"), (Rows{{L"1.2.3.4 fallback.example"}}));
  ui.press(L"Command_wzmybc");
  EXPECT_EQ(notice(ui).substr(0, 7), L"保存应用成功!");
  EXPECT_EQ(contentOf(hosts), writeHostsFile({}) + "1.2.3.4 fallback.example\r\n");
  EXPECT_EQ(contentOf(systemEtc() + L"\\hosts"), std::nullopt);
}

TEST(HostsWindow, AReadOnlyOrBusyFileStaysWholeAndNoSuccessIsShown) {
  const struct {
    const char* what;
    DWORD attributes;
    bool heldOpen;
    std::wstring said;
  } cases[] = {
      {"read-only", FILE_ATTRIBUTE_READONLY, false, L"保存失败：无法写入 "},
      {"held open without sharing", FILE_ATTRIBUTE_NORMAL, true, L"保存失败：无法写入 "},
  };
  for (const auto& c : cases) {
    PrefixHosts keep;
    const std::wstring hosts = systemEtc() + L"\\hosts";
    const std::string original = "1.1.1.1 keep.example\r\n";
    put(hosts, original, c.attributes);
    // A backup from an earlier save, so the replacement itself is what fails.
    put(systemEtc() + L"\\hosts.bak", "old backup\r\n");
    const auto before = namesIn(systemEtc());

    UiSession ui;
    ui.pickTab(L"TabStrip_cjmy", kHostsTab);
    ui.press(L"Command_wzmytj");
    answerInput(ui, L"new.example");
    answerInput(ui, std::nullopt);
    HANDLE held = c.heldOpen ? CreateFileW(hosts.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
    ASSERT_EQ(held != INVALID_HANDLE_VALUE, c.heldOpen) << c.what;
    ui.press(L"Command_wzmybc");
    const std::wstring said = notice(ui);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    EXPECT_EQ(said.substr(0, c.said.size()), c.said) << c.what;
    EXPECT_NE(said.find(L"原文件没有改动"), std::wstring::npos) << c.what;
    EXPECT_EQ(ui.waitForDialog(L"提示", 500), nullptr) << c.what << ": no second box";
    EXPECT_EQ(contentOf(hosts), original) << c.what;
    EXPECT_EQ(contentOf(systemEtc() + L"\\hosts.bak"), "old backup\r\n") << c.what;
    EXPECT_EQ(namesIn(systemEtc()), before) << c.what << ": no temporary file is left";
  }
}

}  // namespace
}  // namespace trova::test
