// Hostile input through the real window: a 255-character key name, a
// 16,383-character value name, a 1 MB string, a 32,767-character command line,
// names with what .reg files, command lines and variables read specially and
// characters the ANSI code page lacks, a hosts line of 100 KB, an Uninstall key
// of 5,000 sub-keys. Each page lists and acts on them and writes them whole, or
// refuses with a message that says why; no step takes more than seconds.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "formats/hosts_file.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"

namespace trova::test {
namespace {

const std::wstring kOdd = L"a\t%\";=ä한😀";
std::wstring padded(std::wstring head, std::size_t length, wchar_t fill) {
  head.resize(length, fill);
  return head;
}
const std::wstring kKeyName = padded(kOdd, 255, L'k'), kValueName = padded(kOdd, 16383, L'v');
const std::wstring kMegabyte = padded(kOdd, 524287, L'm');  // 1 MiB with its terminator

void timed(const char* what, const std::function<void()>& step) {
  const DWORD start = GetTickCount();
  step();
  const DWORD ms = GetTickCount() - start;
  std::printf("[ figure ] %s: %lu ms\n", what, static_cast<unsigned long>(ms));
  EXPECT_LT(ms, 10000u) << what;
}
// Long texts are compared without printing them.
#define EXPECT_WHOLE(actual, expected) EXPECT_TRUE((actual) == (expected)) << #actual " is not whole"

TEST(HostileInput, EveryPageListsActsOnAndWritesExtremeNamesWholeOrRefusesClearly) {
  RegistrySeed seed;
  const std::wstring dir = seed.folder(L"trova-hostile");
  const HKEY hklm = HKEY_LOCAL_MACHINE, hkcu = HKEY_CURRENT_USER;
  const std::wstring bar = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", menu = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\" + kOdd;
  seed.text(hklm, bar, kValueName, kOdd + L" 工具");
  seed.text(hkcu, menu, L"", kMegabyte);
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::wstring command = padded(L"\"C:\\" + kOdd + L"\\run.exe\" /x ", 32767, L'c');
  seed.text(hkcu, run, kValueName, command);
  const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  for (int i = 0; i < 5000; ++i) seed.text(hkcu, uninstall + L"批量" + std::to_wstring(i), L"DisplayName", L"批量软件");
  const std::wstring uninstaller = dir + L"\\record_args.exe";
  const std::wstring arguments = padded(L"/x " + kOdd + L" ", 32000 - uninstaller.size(), L'u');
  ASSERT_TRUE(CopyFileW((programFolder() + L"\\record_args.exe").c_str(), uninstaller.c_str(), FALSE));
  seed.text(hkcu, uninstall + kKeyName, L"DisplayName", kOdd + L" 软件");
  seed.text(hkcu, uninstall + kKeyName, L"UninstallString", L"\"" + uninstaller + L"\" " + arguments);
  const std::wstring trace = L"Software\\WinRAR\\ArcHistory";  // row 25 of 系统清理
  seed.clear(hkcu, L"Software\\WinRAR");
  const std::pair<std::wstring, RawValue> values[] = {
      {kValueName, textValue(kOdd)}, {kOdd, textValue(kMegabyte)},
      {L"", textValue(L"%SystemRoot%\\" + kOdd, REG_EXPAND_SZ)},
      {L"多" + kOdd, textValue(kOdd + L'\0' + L"二" + L'\0', REG_MULTI_SZ)}};
  for (const auto& [name, v] : values)
    RegSetKeyValueW(hkcu, trace.c_str(), name.c_str(), v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
  seed.text(hklm, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", L"DataBasePath", dir);
  const std::string longLine = "127.0.0.1 " + std::string(100 * 1024, 'a') + ".example # \xC3\xA4\xED\x95\x9C";
  seed.file(dir + L"\\hosts", longLine + "\r\n# a comment\r\n127.0.0.1\tshort.example\r\n");
  seed.file(programFolder() + L"\\cisid.dat", std::nullopt);

  std::optional<UiSession> ui;
  timed("start-up (catalogue and kill-bits)", [&] { ui.emplace(); });
  // 插件管理: listed whole; a 16,383-character identifier cannot name a
  // disabled mark's key, which the user is told; both deleted.
  timed("插件管理: list", [&] { ui->pickTab(L"TabStrip_cjmy", 1); });
  const std::wstring addons = L"ListView_cjgl";
  const Rows shown = ui->rows(addons), listed = {{kOdd + L" 工具", kValueName, L"已启用", L"浏览器工具项", L"文件没有找到"},
                                                 {kOdd, L"缺省", L"已启用", L"浏览器右键菜单", kMegabyte}};
  for (const Row& r : listed) EXPECT_EQ(std::count(shown.begin(), shown.end(), r), 1) << r[3] << " is not listed whole";
  ui->clickRow(addons, ui->rowWith(addons, 1, kValueName));
  ui->press(L"Command_cjgljy");
  EXPECT_EQ(ui->answerBox(L"提示"), L"禁用失败!\n该插件的标识不能用作注册表项名称");
  for (const std::wstring& row : {kOdd + L" 工具", kOdd}) {
    ui->clickRow(addons, ui->rowWith(addons, 0, row));
    timed("插件管理: 删除", [&] { ui->press(L"Command_cjglsc"); });
    EXPECT_EQ(ui->answerBox(L"提示"), L"删除成功!");
  }
  EXPECT_FALSE(rawValue(hklm, bar, kValueName));
  EXPECT_FALSE(RegistrySeed::exists(hkcu, menu));

  // 启动项目: the longest command line, disabled and deleted whole.
  timed("系统设置: load with 5,000 uninstall entries", [&] { ui->pickTab(L"TabStrip_cjmy", 2); });
  ui->pickTab(L"SSTab_xtsz", 2);
  const int entry = ui->rowWith(L"ListView_qdxm", 0, kValueName);
  ASSERT_GE(entry, 0);
  EXPECT_WHOLE(ui->row(L"ListView_qdxm", entry), (Row{kValueName, L"HCUR", L"已启用", command}));
  ui->clickRow(L"ListView_qdxm", entry);
  timed("启动项目: 禁用", [&] { ui->press(L"Command_qdxmjy"); });
  EXPECT_WHOLE(rawValue(hkcu, run, kValueName), textValue(L";" + command));
  timed("启动项目: 删除", [&] { ui->press(L"Command_qdxmsc"); });
  EXPECT_FALSE(rawValue(hkcu, run, kValueName));

  // 软件卸载: among 5,000, an uninstaller started with 32,000 characters of arguments.
  ui->pickTab(L"SSTab_xtsz", 1);
  const int program = ui->rowWith(L"ListView_rjxz", 0, kOdd + L" 软件");
  ASSERT_GE(program, 0);
  EXPECT_EQ(ui->row(L"ListView_rjxz", program)[3], kKeyName);
  ui->clickRow(L"ListView_rjxz", program);
  timed("软件卸载: 卸载", [&] { ui->press(L"Command_rjxzxz"); });
  std::string line;
  EXPECT_TRUE(waitUntil([&] { return !(line = fileBytes(dir + L"\\record_args.txt")).empty(); }, 30000));
  EXPECT_TRUE(decoded(line, CP_UTF8).ends_with(L"\" " + arguments)) << "the arguments did not arrive whole";

  // 系统清理, then 工具: the trace goes, and 撤销 brings it back whole from the change set.
  ui->pickTab(L"SSTab_xtsz", 3);
  ASSERT_TRUE(ui->clickCheckBox(L"ListView_ysql", 24));
  timed("系统清理: 清理", [&] { ui->press(L"Command_ysql"); });
  EXPECT_EQ(ui->answerBox(L"提示"), L"清理完成!");
  EXPECT_FALSE(RegistrySeed::exists(hkcu, trace));
  timed("工具: list", [&] { ui->pickTab(L"TabStrip_cjmy", 4); });
  ui->clickRow(L"ListView_gjls", 0);
  timed("工具: 撤销", [&] { ui->press(L"Command_gjcx"); });
  EXPECT_EQ(ui->answerBox(L"提示").rfind(L"已撤销“系统清理 · 清理”", 0), 0u);
  for (const auto& [name, v] : values) EXPECT_WHOLE(rawValue(hkcu, trace, name), v) << name.size() << "-character name";

  // 网站免疫: the 100 KB line listed and saved whole.
  timed("网站免疫: load", [&] { ui->pickTab(L"TabStrip_cjmy", 3); });
  EXPECT_WHOLE(ui->row(L"List_wzmy", 0)[0], decoded(longLine, CP_UTF8));
  ui->press(L"Command_wzmytj");
  ui->answerInput(L"添加", L"ad.example");
  ui->answerInput(L"添加", L"127.0.0.255");
  timed("网站免疫: 保存应用", [&] { ui->press(L"Command_wzmybc"); });
  EXPECT_EQ(ui->answerBox(L"提示").rfind(L"保存应用成功!", 0), 0u);
  EXPECT_WHOLE(fileBytes(dir + L"\\hosts"),
               writeHostsFile({}) + longLine + "\r\n127.0.0.1\tshort.example\r\n127.0.0.255      ad.example\r\n");

  // 用户自定义: a name the code page cannot hold is refused, .reg's special characters are not.
  ui->pickTab(L"TabStrip_cjmy", 0);
  ui->pickTab(L"SSTab_cjmy", 3);
  ui->answerBox(L"提示");  // cisid.dat will be made
  for (const std::wstring& typed : {kOdd, std::wstring(L"怪名 %\";=\t")}) {
    ui->press(L"Command_yhzdytj");
    ui->answerInput(L"添加自定义", typed);
    ui->answerInput(L"添加自定义", L"{a\t%\";=b}");
  }
  EXPECT_EQ(ui->answerBox(L"结果"), L"添加失败!\r\n插件名称或cisid中有系统代码页无法保存的字符。");
  EXPECT_EQ(ui->rows(L"ListView_cjmy(3)"), (Rows{{L"怪名 %\";=\t", L"{a\t%\";=b}", L"未免疫"}}));
}

}  // namespace
}  // namespace trova::test
