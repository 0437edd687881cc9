// 插件管理 and 插件免疫 as a user works them: add-ons and kill-bits of both
// browsers (the 32-bit one's written with reg.exe /reg:32, as its installer
// would) listed, changed, exported and deleted through the real window, each
// result read back with reg.exe or byte for byte. With TROVA_IMMUNITY_EXPORT
// set, the kill-bit export goes there for immunity_import.sh.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "immunity/cisid.h"

namespace trova::test {
namespace {

std::wstring q(const std::wstring& s) { return L"\"" + s + L"\""; }

TEST(AddonsWindow, ListsSortsDisablesExportsAndDeletesBothBrowsersAddons) {
  const std::wstring bho = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
  const std::wstring bar = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
  const std::wstring menu = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
  const std::wstring marks = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings";
  const std::wstring helper = L"{11111111-AAAA-4BBB-8CCC-000000000002}", toolbar = L"{11111111-AAAA-4BBB-8CCC-000000000003}";
  const std::wstring helper32 = L"{11111111-AAAA-4BBB-8CCC-000000000032}", list = L"ListView_cjgl";
  RegistrySeed seed;
  for (const std::wstring& k : {bho, std::wstring(L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions"), bar}) {
    seed.clear(HKEY_LOCAL_MACHINE, k);
    seed.clear(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node" + k.substr(8));
  }
  seed.clear(HKEY_CURRENT_USER, menu);
  seed.clear(HKEY_CURRENT_USER, marks);
  seed.clear(HKEY_CLASSES_ROOT, L"Wow6432Node\\CLSID\\" + helper32);
  seed.text(HKEY_CLASSES_ROOT, L"CLSID\\" + helper, L"", L"演示帮助对象");
  seed.text(HKEY_CLASSES_ROOT, L"CLSID\\" + helper + L"\\InprocServer32", L"", L"C:\\Demo\\helper.dll");
  seed.key(HKEY_LOCAL_MACHINE, bho + L"\\" + helper);
  seed.text(HKEY_LOCAL_MACHINE, bar, toolbar, L"");
  seed.dword(HKEY_CURRENT_USER, marks + L"\\" + toolbar, L"Flags", 1);
  seed.text(HKEY_CURRENT_USER, menu + L"\\用演示下载器下载", L"", L"C:\\Demo\\menu.htm");
  const std::wstring cls32 = L"HKCR\\CLSID\\" + helper32, bho32 = q(L"HKLM\\" + bho + L"\\" + helper32);
  for (const std::wstring& args : {q(cls32) + L" /ve /d 演示32位帮助对象", q(cls32 + L"\\InprocServer32") + L" /ve /d C:\\x86.dll", bho32})
    ASSERT_EQ(regExe(L"add " + args + L" /f /reg:32").exitCode, 0u) << args;

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 1);
  // The state column sorts by pinyin (已禁用 jin before 已启用 qi, though 启
  // has the lower code), whole rows moving, equal ones in list order; the
  // selected row (the helper, listed first) stays selected.
  ui.clickRow(list, 0);
  ui.clickColumn(list, 2);
  const Rows sorted = {{L"未知", toolbar, L"已禁用", L"浏览器工具项", L"文件没有找到"},
                       {L"演示帮助对象", helper, L"已启用", L"浏览器帮助项", L"C:\\Demo\\helper.dll"},
                       {L"演示32位帮助对象", helper32, L"已启用", L"浏览器帮助项 (32位)", L"C:\\x86.dll"},
                       {L"用演示下载器下载", L"缺省", L"已启用", L"浏览器右键菜单", L"C:\\Demo\\menu.htm"}};
  ASSERT_EQ(ui.rows(list), sorted);
  // 禁用 writes the mark Flags=1; 启用 removes it.
  const std::wstring mark = q(L"HKCU\\" + marks + L"\\" + helper);
  ui.press(L"Command_cjgljy");
  EXPECT_TRUE(regQuery(mark + L" /v Flags").lists(L"Flags", L"REG_DWORD", L"0x1"));
  EXPECT_EQ(ui.row(list, 1)[2], L"已禁用");
  ui.press(L"Command_cjglqy");
  EXPECT_EQ(regQuery(mark).exitCode, kRegNotFound);

  // 导出 in the order shown, in GBK, over a longer file; the dialog adds ".txt".
  Scratch dir(L"trova-addons");
  seed.file(dir.file(L"插件日志.txt"), std::string(4096, 'x'));
  ui.press(L"Command_cjgldc");
  ASSERT_TRUE(ui.answerFile(L"导出", dir.file(L"插件日志")));
  EXPECT_EQ(ui.answerBox(L"提示"), L"导出成功!");
  std::wstring log = L"Trova日志文件\r\n \r\n";
  for (const Row& r : sorted)
    log += L"名称:" + r[0] + L"\r\ncisid:" + r[1] + L"\r\n状态:" + r[2] + L"\r\n类型:" + r[3] + L"\r\n文件:" + r[4] + L"\r\n \r\n";
  EXPECT_EQ(fileBytes(dir.file(L"插件日志.txt")), encoded(log, 936));
  EXPECT_EQ(dir.names(), std::vector<std::wstring>{L"插件日志.txt"});

  // 删除 of the 32-bit helper takes it from the 32-bit view, its class staying;
  // the row was the selected one, so a second press finds nothing to delete.
  ui.clickRow(list, 2);
  ui.press(L"Command_cjglsc");
  EXPECT_EQ(ui.answerBox(L"提示"), L"删除成功!");
  EXPECT_EQ(regQuery(bho32 + L" /reg:32").exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(q(cls32) + L" /reg:32").exitCode, 0u);
  ui.press(L"Command_cjglsc");
  EXPECT_EQ(ui.waitForDialog(L"提示", 300), nullptr);
  ui.pickTab(L"TabStrip_cjmy", 1);  // the shown tab clicked again reads the registry again
  EXPECT_EQ(ui.rows(list), (Rows{sorted[0], sorted[1], sorted[3]}));
}

std::wstring immunityList(int c) { return L"ListView_cjmy(" + std::to_wstring(c) + L")"; }
// A control's key for the 64-bit browser, then for the 32-bit one.
std::vector<std::wstring> keysOf(const std::wstring& clsid) {
  const std::wstring tail = L"Microsoft\\Internet Explorer\\ActiveX Compatibility\\" + clsid;
  return {L"SOFTWARE\\" + tail, L"SOFTWARE\\Wow6432Node\\" + tail};
}
// One record of cisid.dat: the list, then the name and the CLSID in GBK.
std::string userRecord(const std::wstring& name, const std::wstring& clsid) {
  const std::string n = encoded(name, 936), id = encoded(clsid, 936);
  std::string r = std::string{'\x03', '\x00', static_cast<char>(n.size()), '\x00'} + n;
  r += std::string{static_cast<char>(id.size()), '\x00'} + id;
  r.resize(128, '\0');
  return r;
}

TEST(ImmunityWindow, AppliesMarksForBothBrowsersAndExportsEveryRow) {
  RegistrySeed seed;
  const std::wstring blocked = L"{33333333-AAAA-4BBB-8CCC-000000000001}";
  const std::wstring odd = L"{33333333-AAAA-4BBB-8CCC-000000000002 %\";=\t}";  // read specially by .reg files
  seed.file(programFolder() + L"\\cisid.dat", userRecord(L"演示用户控件", blocked) + userRecord(L"Second demo", odd));
  for (const auto& clsid : {blocked, odd})
    for (const auto& key : keysOf(clsid)) seed.key(HKEY_LOCAL_MACHINE, key);
  // Blocked for both browsers with a bit besides the kill-bit, the 32-bit one's as its installer writes it.
  seed.dword(HKEY_LOCAL_MACHINE, keysOf(blocked)[0], L"Compatibility Flags", 0x401);
  const std::wstring flags = q(L"HKLM\\" + keysOf(blocked)[0]) + L" /v \"Compatibility Flags\"";
  ASSERT_EQ(regExe(L"add " + flags + L" /t REG_DWORD /d 0x401 /f /reg:32").exitCode, 0u);

  UiSession ui;
  std::vector<Rows> lists;
  for (int c = 0; c < 4; ++c) lists.push_back(ui.rows(immunityList(c)));
  EXPECT_EQ(lists[0].size() + lists[1].size() + lists[2].size(), 782u);
  ASSERT_EQ(lists[3], (Rows{{L"演示用户控件", blocked, L"已免疫"}, {L"Second demo", odd, L"未免疫"}}));
  // A stand-in CLSID is painted grey, a known one in the text colour.
  int next[3] = {};
  std::map<bool, std::pair<int, int>> first;  // stand-in or not -> list, row
  for (const CatalogueRow& c : kCatalogue)
    first.emplace(c.status == CatalogueStatus::Placeholder, std::pair{c.category, next[c.category]++});
  for (const auto& [standIn, at] : first) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr = {ui.control(immunityList(at.first)), 0, static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(at.second);
    draw.iSubItem = 1;
    SendMessageW(ui.window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
    EXPECT_EQ(draw.clrText, GetSysColor(standIn ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT)) << standIn;
  }

  // The blocked one's mark clicked off, the other's put on with the space key; 应用.
  ui.pickTab(L"SSTab_cjmy", 3);
  ASSERT_TRUE(ui.clickCheckBox(immunityList(3), 0));
  ui.clickRow(immunityList(3), 1);
  ui.key(immunityList(3), VK_SPACE);
  EXPECT_FALSE(ui.checked(immunityList(3), 0));
  EXPECT_TRUE(ui.checked(immunityList(3), 1));
  ui.press(L"Command_cjmy");
  EXPECT_EQ(ui.answerBox(L"成功"), L"应用更改成功!");
  for (const wchar_t* view : {L" /reg:64", L" /reg:32"})
    EXPECT_TRUE(regQuery(flags + view).lists(L"Compatibility Flags", L"REG_DWORD", L"0x1")) << view << ": the other bit stays";
  for (const auto& key : keysOf(odd))  // a name reg.exe's command line cannot carry
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, L"Compatibility Flags"), (RawValue{REG_DWORD, {0, 4, 0, 0}}));
  EXPECT_EQ(ui.rows(immunityList(3)), (Rows{{L"演示用户控件", blocked, L"未免疫"}, {L"Second demo", odd, L"已免疫"}}));

  // 导出: every row of the four lists, checked or not, for both browsers.
  Scratch dir(L"trova-immunity");
  const wchar_t* given = _wgetenv(L"TROVA_IMMUNITY_EXPORT");
  const std::wstring path = given && *given ? given : dir.file(L"kill-bits.reg");
  ui.press(L"Command_cjmydc");
  ASSERT_TRUE(ui.answerFile(L"导出", path));
  EXPECT_EQ(ui.answerBox(L"提示"), L"导出成功!");
  std::wstring expected = L"REGEDIT4\r\n \r\n";
  for (const auto& l : lists)
    for (const auto& r : l)
      for (const auto& key : keysOf(r[1]))
        expected += L"[HKEY_LOCAL_MACHINE\\" + key + L"]\r\n\"Compatibility Flags\"=dword:00000400\r\n \r\n";
  EXPECT_TRUE(decoded(fileBytes(path), CP_ACP) == expected) << "the export differs from the rows listed";
}

}  // namespace
}  // namespace trova::test
