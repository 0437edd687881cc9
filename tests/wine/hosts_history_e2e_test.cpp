// 网站免疫 and 工具 as a user works them: a hidden system hosts file (found
// through DataBasePath) edited in the owner-data list box and saved byte for
// byte; changes undone from 工具, and their change sets read by Wine's own
// regedit /s and reg import, names outside the ANSI code page included.
#include <gtest/gtest.h>

#include "formats/hosts_file.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"

namespace trova::test {
namespace {

// The newest change set on 工具, as "page · action".
std::wstring newestSet(const UiSession& ui) {
  const Row set = ui.row(L"ListView_gjls", 0);
  return set[1] + L" · " + set[2];
}

TEST(HostsWindow, SavesWhatWasAddedAndDeletedByteForByteAndUndoesIt) {
  RegistrySeed seed;
  Scratch dir(L"trova-hosts");
  seed.text(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", L"DataBasePath", dir.path());
  const std::wstring hosts = dir.file(L"hosts"), list = L"List_wzmy";
  const std::string utf8 = "127.0.0.1 \xE4\xBE\x8B\xE5\xAD\x90.com", gbk = "127.0.0.1\t\xC0\xFD\xD7\xD3.net  ";  // 例子
  const std::string original = "\xEF\xBB\xBF# notes\r\n" + utf8 + "\n\r\n#0.0.0.0 off\r\n" + gbk + "\r\n0.0.0.0 gone\r\n";
  seed.file(hosts, original, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 3);
  EXPECT_EQ(ui.rows(list), (Rows{{L"127.0.0.1 例子.com"}, {L"127.0.0.1\t例子.net  "}, {L"0.0.0.0 gone"}}));
  // A click selects a row and the arrow keys move the selection, as in any list box.
  ui.clickRow(list, 1);
  ui.key(list, VK_DOWN);
  ui.press(L"Command_wzmysc");
  ui.press(L"Command_wzmytj");
  EXPECT_EQ(ui.answerInput(L"添加", L"ad.example.com"), L"输入网站地址,如www.example.com");
  EXPECT_EQ(ui.answerInput(L"添加", std::nullopt), L"输入IP地址,如需屏蔽,输入127.0.0.255");  // its offer kept
  ui.press(L"Command_wzmytj");
  ui.answerInput(L"添加", L"广告.example.com");
  ui.answerInput(L"添加", L"typed, then cancelled", IDCANCEL);
  EXPECT_EQ(ui.rows(list), (Rows{{L"127.0.0.1 例子.com"}, {L"127.0.0.1\t例子.net  "},
                                 {L"127.0.0.255      ad.example.com"}, {L"      广告.example.com"}}));
  EXPECT_EQ(fileBytes(hosts), original) << "only a save writes";

  ui.press(L"Command_wzmybc");
  EXPECT_EQ(ui.answerBox(L"提示"), L"保存应用成功!\r\n原hosts文件已备份为 " + dir.file(L"hosts.bak"));
  EXPECT_EQ(fileBytes(hosts), writeHostsFile({}) + utf8 + "\r\n" + gbk +
                                  "\r\n127.0.0.255      ad.example.com\r\n      \xB9\xE3\xB8\xE6.example.com\r\n");
  EXPECT_EQ(GetFileAttributesW(hosts.c_str()) & 6u, 6u) << "still hidden and system";
  EXPECT_EQ(fileBytes(dir.file(L"hosts.bak")), original);
  EXPECT_EQ(dir.names(), (std::vector<std::wstring>{L"hosts", L"hosts.bak"})) << "no temporary file is left";

  ui.pickTab(L"TabStrip_cjmy", 4);
  EXPECT_EQ(newestSet(ui), L"网站免疫 · 保存应用");
  ui.clickRow(L"ListView_gjls", 0);
  ui.press(L"Command_gjcx");
  EXPECT_TRUE(ui.answerBox(L"提示").starts_with(L"已撤销“网站免疫 · 保存应用”"));
  EXPECT_EQ(fileBytes(hosts), original);

  // Windows refuses to replace a read-only file (Wine would not): nothing changes, and the user is told.
  SetFileAttributesW(hosts.c_str(), FILE_ATTRIBUTE_READONLY);
  ui.pickTab(L"TabStrip_cjmy", 3);
  ui.press(L"Command_wzmybc");
  const std::wstring said = ui.answerBox(L"提示");
  EXPECT_TRUE(said.starts_with(L"保存失败：无法写入 ") && said.find(L"原文件没有改动") != std::wstring::npos) << said;
  EXPECT_EQ(fileBytes(hosts), original);
}

TEST(HistoryWindow, UndoesADeletionAndItsSetsImportWithRegeditAndReg) {
  const std::wstring odd = L"ä한😀", uninstall = L"Microsoft\\Windows\\CurrentVersion\\Uninstall\\历史" + odd;
  const std::wstring keys[] = {L"SOFTWARE\\" + uninstall + L"64", L"SOFTWARE\\Wow6432Node\\" + uninstall + L"32"};
  RegistrySeed seed;
  for (const auto& key : keys) {
    seed.text(HKEY_LOCAL_MACHINE, key, L"DisplayName", L"历史" + odd + key.back());
    seed.text(HKEY_LOCAL_MACHINE, key, L"名" + odd, L"值" + odd);
  }
  const auto whole = [&](const std::wstring& key) {
    return rawValue(HKEY_LOCAL_MACHINE, key, L"DisplayName") == textValue(L"历史" + odd + key.back()) &&
           rawValue(HKEY_LOCAL_MACHINE, key, L"名" + odd) == textValue(L"值" + odd);
  };
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 1);
  for (const auto& key : keys) {
    ui.clickRow(L"ListView_rjxz", ui.rowWith(L"ListView_rjxz", 0, L"历史" + odd + key.back()));
    ui.press(L"Command_rjxzsc");
    ASSERT_FALSE(RegistrySeed::exists(HKEY_LOCAL_MACHINE, key));
  }
  const auto sets = changeSets();

  // 工具 lists the sets newest first, shows what one changed, and undoes it.
  ui.pickTab(L"TabStrip_cjmy", 4);
  EXPECT_EQ(newestSet(ui), L"软件卸载 · 仅仅删除信息");
  ui.clickRow(L"ListView_gjls", 0);
  EXPECT_GE(ui.rowWith(L"ListView_gjgg", 1, L"名" + odd), 0) << "the value's name, whole";
  ui.press(L"Command_gjcx");
  EXPECT_TRUE(ui.answerBox(L"提示").starts_with(L"已撤销“软件卸载 · 仅仅删除信息”"));
  EXPECT_TRUE(whole(keys[1]));
  EXPECT_EQ(newestSet(ui), L"工具 · 撤销");

  for (const bool regedit : {true, false})
    for (std::size_t i = 0; i < 2; ++i) {
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, keys[i].c_str());
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, keys[i].c_str());
      const std::wstring set = sets.at(sets.size() - 2 + i);  // the two deletions'
      EXPECT_EQ(regedit ? regeditImport(set) : regExe(L"import \"" + set + L"\"").exitCode, 0u);
      EXPECT_TRUE(whole(keys[i])) << (regedit ? "regedit /s, set " : "reg import, set ") << i;
    }
}

}  // namespace
}  // namespace trova::test
