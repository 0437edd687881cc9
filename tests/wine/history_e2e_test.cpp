// The change history through the real window: actions on two pages undone from
// "工具" (checked with reg.exe and the file's bytes), and change sets that
// Wine's own regedit and reg.exe import to put back what the action changed,
// in both registry views, also under names the ANSI code page cannot hold.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/new_files.h"
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

// The newest change set's file, or the one `older` sets before it.
std::wstring newestSet(std::size_t older = 0) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((historyFolder() + L"\\*.reg").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  do names.emplace_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.rbegin(), names.rend());
  return older < names.size() ? historyFolder() + L"\\" + names[older] : std::wstring();
}

std::string bytesOf(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

TEST(HistoryWindow, ActionsOfTwoPagesAreUndoneAndASetImportsWithRegeditAndReg) {
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
  EXPECT_EQ(ui.answerBox(L"提示"), L"保存成功!");
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
  EXPECT_EQ(ui.answerBox(L"提示").rfind(L"已撤销“启动项目 · 禁用”", 0), 0u);
  EXPECT_TRUE(regQuery(runValue).lists(L"历史演示", L"REG_SZ", L"C:\\演示\\h.exe"));

  sets = ui.rows(L"ListView_gjls");
  EXPECT_EQ(sets[0][1] + L" · " + sets[0][2], L"工具 · 撤销") << "the undo is recorded too";
  ui.clickRow(L"ListView_gjls", 1);  // the save
  ui.press(L"Command_gjcx");
  EXPECT_EQ(ui.answerBox(L"提示").rfind(L"已撤销“用户自定义 · 保存”", 0), 0u);
  EXPECT_EQ(bytesOf(seeded.userFile), seeded.userBytes) << "the file comes back byte for byte";

  // 插件免疫: the user's control immunised for both browsers; the set's file,
  // imported by regedit, takes both keys away again.
  UiSession restarted;
  restarted.pickTab(L"SSTab_cjmy", 3);
  ASSERT_TRUE(restarted.clickCheckBox(L"ListView_cjmy(3)", 0));
  restarted.press(L"Command_cjmy");
  EXPECT_EQ(restarted.answerBox(L"成功"), L"应用更改成功!");
  const std::wstring key = L"\"HKLM\\" + kCompat + kControl + L"\" /v \"Compatibility Flags\"";
  ASSERT_EQ(regQuery(key + L" /reg:64").exitCode, 0u);
  ASSERT_EQ(regQuery(key + L" /reg:32").exitCode, 0u);
  ASSERT_EQ(regeditImport(newestSet()), 0u);
  for (const wchar_t* view : {L" /reg:64", L" /reg:32"})
    EXPECT_EQ(regQuery(L"\"HKLM\\" + kCompat + kControl + L"\"" + view).exitCode, kRegNotFound) << view;
  // reg.exe's own import reads the set the same way: the kill-bits put back by
  // hand, it takes them away again.
  for (const wchar_t* view : {L" /reg:64", L" /reg:32"})
    ASSERT_EQ(regExe(L"add " + key + L" /t REG_DWORD /d 1024 /f" + view).exitCode, 0u) << view;
  ASSERT_EQ(regExe(L"import \"" + newestSet() + L"\"").exitCode, 0u);
  for (const wchar_t* view : {L" /reg:64", L" /reg:32"})
    EXPECT_EQ(regQuery(L"\"HKLM\\" + kCompat + kControl + L"\"" + view).exitCode, kRegNotFound) << view;
}

// A registration in each registry view, key and value named with characters
// the ANSI code page lacks, deleted on "软件卸载": each deletion's set, imported
// by regedit and by reg.exe into a registry without the key, brings it back whole.
TEST(HistoryWindow, SetsOfNamesOutsideTheCodePageImportInBothViews) {
  const std::wstring odd = L"ä한😀", uninstall = L"Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const std::wstring valueName = L"名" + odd, value = L"值" + odd;
  const std::vector<std::pair<std::wstring, std::wstring>> registrations = {  // key, its name in the list
      {L"SOFTWARE\\" + uninstall + L"历史" + odd + L"64", L"历史" + odd + L"64"},
      {L"SOFTWARE\\Wow6432Node\\" + uninstall + L"历史" + odd + L"32", L"历史" + odd + L"32"}};
  RegistrySeed seed;
  for (const auto& [key, alias] : registrations) {
    seed.along(HKEY_LOCAL_MACHINE, key);
    seed.text(HKEY_LOCAL_MACHINE, key, L"DisplayName", alias);
    seed.text(HKEY_LOCAL_MACHINE, key, valueName, value);
  }
  {
    UiSession ui;
    ui.pickTab(L"TabStrip_cjmy", 2);
    ui.pickTab(L"SSTab_xtsz", 1);
    for (const auto& [key, alias] : registrations) {
      const int row = rowWith(ui, L"ListView_rjxz", 3, alias);
      ASSERT_GE(row, 0);
      ui.clickRow(L"ListView_rjxz", row);
      ui.press(L"Command_rjxzsc");
      ASSERT_FALSE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, key));
    }
  }
  const auto holds = [](const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    wchar_t data[64] = {};
    DWORD size = sizeof(data);
    return RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) ==
               ERROR_SUCCESS && text == data;
  };
  for (const bool regedit : {true, false})
    for (std::size_t i = 0; i < registrations.size(); ++i) {
      const auto& [key, alias] = registrations[i];
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
      const std::wstring set = newestSet(registrations.size() - 1 - i);
      ASSERT_EQ(regedit ? regeditImport(set) : regExe(L"import \"" + set + L"\"").exitCode, 0u);
      EXPECT_TRUE(holds(key, L"DisplayName", alias)) << (regedit ? "regedit" : "reg import") << ", set " << i;
      EXPECT_TRUE(holds(key, valueName, value)) << (regedit ? "regedit" : "reg import") << ", set " << i;
    }
}

}  // namespace
}  // namespace trova::test
