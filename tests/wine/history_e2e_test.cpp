// The change history through the real window: actions on two pages undone from
// "工具" (checked with reg.exe and the file's bytes), and a change set that
// Wine's own regedit imports to put back what the action changed, in both
// registry views.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/reg_query.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace {

const std::wstring kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kCompat = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\";
const std::wstring kControl = L"{44444444-AAAA-4BBB-8CCC-000000000001}";

std::wstring programFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring historyFolder() {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return std::wstring(path) + L"\\Trova";
}

// The newest change set's file.
std::wstring newestSet() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((historyFolder() + L"\\*.reg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  do names.emplace_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return historyFolder() + L"\\" + *std::max_element(names.begin(), names.end());
}

std::string bytesOf(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DWORD run(std::wstring command) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return 0xFFFFFFFF;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

// One record of cisid.dat: category 3, the name and the CLSID in ASCII.
std::string userRecord(const std::string& name, const std::wstring& clsid) {
  std::string r = {'\x03', '\x00', static_cast<char>(name.size()), '\x00'};
  r += name;
  r += {static_cast<char>(clsid.size()), '\x00'};
  r += std::string(clsid.begin(), clsid.end());
  r.resize(128, '\0');
  return r;
}

// A value of HKEY_CURRENT_USER's Run key and cisid.dat, there for the test only.
struct Seeded {
  const std::wstring userFile = programFolder() + L"\\cisid.dat";
  const std::string userBytes = userRecord("history", kControl);
  RegistrySeed seed;
  Seeded() {
    HKEY run = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kRun.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &run, nullptr);
    const std::wstring command = L"C:\\演示\\h.exe";
    RegSetValueExW(run, L"历史演示", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(run);
    std::ofstream(userFile.c_str(), std::ios::binary) << userBytes;
    seed.clear(HKEY_LOCAL_MACHINE, kCompat + kControl);
    seed.clear(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\" +
                                        kControl);
  }
  ~Seeded() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun.c_str(), L"历史演示");
    DeleteFileW(userFile.c_str());
  }
};

int rowWith(const UiSession& ui, const std::wstring& list, int column, const std::wstring& text) {
  const auto rows = ui.rows(list);
  for (std::size_t r = 0; r < rows.size(); ++r)
    if (rows[r][static_cast<std::size_t>(column)] == text) return static_cast<int>(r);
  return -1;
}

std::wstring answerBox(const UiSession& ui, const std::wstring& title) {
  HWND box = ui.waitForDialog(title);
  if (!box) return L"(no box)";
  const std::wstring text = ui.dialogText(box);
  ui.answer(box, IDOK);
  waitUntil([&] { return !IsWindow(box); });
  ui.sync();
  return text;
}

TEST(HistoryWindow, ActionsOfTwoPagesAreUndoneAndASetImportsWithRegedit) {
  Seeded seeded;
  UiSession ui;
  const std::wstring runValue = L"\"HKCU\\" + kRun + L"\" /v 历史演示";

  // 启动项目: disable the entry.
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 2);
  const int entry = rowWith(ui, L"ListView_qdxm", 0, L"历史演示");
  ASSERT_GE(entry, 0);
  ui.clickRow(L"ListView_qdxm", entry);
  ui.press(L"Command_qdxmjy");
  ASSERT_TRUE(regQuery(runValue).lists(L"历史演示", L"REG_SZ", L";C:\\演示\\h.exe"));

  // 用户自定义: delete the one entry and save: cisid.dat is emptied.
  ui.pickTab(L"TabStrip_cjmy", 0);
  ui.pickTab(L"SSTab_cjmy", 3);
  ui.clickRow(L"ListView_cjmy(3)", 0);
  ui.press(L"Command_yhzdysc");
  ui.press(L"Command_yhzdybc");
  EXPECT_EQ(answerBox(ui, L"提示"), L"保存成功!");
  ASSERT_EQ(bytesOf(seeded.userFile), "");

  // 工具 lists both, newest first, and undoes each.
  ui.pickTab(L"TabStrip_cjmy", 4);
  auto sets = ui.rows(L"ListView_gjls");
  ASSERT_GE(sets.size(), 2u);
  EXPECT_EQ(sets[0][1] + L" · " + sets[0][2], L"用户自定义 · 保存");
  EXPECT_EQ(sets[1][1] + L" · " + sets[1][2], L"启动项目 · 禁用");
  EXPECT_EQ(sets[1][3], L"1");
  ui.clickRow(L"ListView_gjls", 1);
  EXPECT_EQ(ui.rows(L"ListView_gjgg"),
            (std::vector<std::vector<std::wstring>>{
                {L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RUN", L"历史演示",
                 L"C:\\演示\\h.exe", L";C:\\演示\\h.exe"}}));
  ui.press(L"Command_gjcx");
  EXPECT_EQ(answerBox(ui, L"提示").rfind(L"已撤销“启动项目 · 禁用”", 0), 0u);
  EXPECT_TRUE(regQuery(runValue).lists(L"历史演示", L"REG_SZ", L"C:\\演示\\h.exe"));

  sets = ui.rows(L"ListView_gjls");
  EXPECT_EQ(sets[0][1] + L" · " + sets[0][2], L"工具 · 撤销") << "the undo is recorded too";
  ui.clickRow(L"ListView_gjls", 1);  // the save
  ui.press(L"Command_gjcx");
  EXPECT_EQ(answerBox(ui, L"提示").rfind(L"已撤销“用户自定义 · 保存”", 0), 0u);
  EXPECT_EQ(bytesOf(seeded.userFile), seeded.userBytes) << "the file comes back byte for byte";

  // 插件免疫: the user's control immunised for both browsers; the set's file,
  // imported by regedit, takes both keys away again.
  UiSession restarted;
  restarted.pickTab(L"SSTab_cjmy", 3);
  ASSERT_TRUE(restarted.clickCheckBox(L"ListView_cjmy(3)", 0));
  restarted.press(L"Command_cjmy");
  EXPECT_EQ(answerBox(restarted, L"成功"), L"应用更改成功!");
  const std::wstring key = L"\"HKLM\\" + kCompat + kControl + L"\" /v \"Compatibility Flags\"";
  ASSERT_EQ(regQuery(key + L" /reg:64").exitCode, 0u);
  ASSERT_EQ(regQuery(key + L" /reg:32").exitCode, 0u);
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  ASSERT_EQ(run(L"\"" + std::wstring(windows) + L"\\regedit.exe\" /s \"" + newestSet() + L"\""), 0u);
  EXPECT_EQ(regQuery(L"\"HKLM\\" + kCompat + kControl + L"\" /reg:64").exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(L"\"HKLM\\" + kCompat + kControl + L"\" /reg:32").exitCode, kRegNotFound);
}

}  // namespace
}  // namespace trova::test
