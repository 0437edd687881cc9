// One journey per page through the real window under Wine, as a user works it:
// what the page acts on is seeded in Wine's registry and files (the 32-bit
// browser's with reg.exe /reg:32, as its installer would), and each result is
// read back from outside the program, with reg.exe, regedit or a file's bytes.
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "formats/hosts_file.h"
#include "harness/registry_seed.h"
#include "harness/ui_session.h"
#include "immunity/cisid.h"
#include "platform/win32_platform.h"

namespace trova::test {
namespace {

// The 32-bit programs' view of a key under SOFTWARE.
std::wstring wow(const std::wstring& key) { return key.substr(0, 9) + L"Wow6432Node\\" + key.substr(9); }

TEST(AddonsWindow, ListsSortsDisablesExportsAndDeletesBothBrowsersAddons) {
  const std::wstring bho = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
  const std::wstring bar = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", menu = L"Software\\Microsoft\\Internet Explorer\\MenuExt";
  const std::wstring marks = L"Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings", list = L"ListView_cjgl";
  const std::wstring helper = L"{11111111-AAAA-4BBB-8CCC-000000000002}", toolbar = L"{11111111-AAAA-4BBB-8CCC-000000000003}";
  const std::wstring helper32 = L"{11111111-AAAA-4BBB-8CCC-000000000032}", cls32 = L"HKCR\\CLSID\\" + helper32;
  RegistrySeed seed;
  for (const std::wstring& k : {bho, std::wstring(L"SOFTWARE\\Microsoft\\Internet Explorer\\Extensions"), bar})
    for (const std::wstring& view : {k, wow(k)}) seed.clear(HKEY_LOCAL_MACHINE, view);
  for (const std::wstring& k : {menu, marks}) seed.clear(HKEY_CURRENT_USER, k);
  seed.clear(HKEY_CLASSES_ROOT, L"Wow6432Node\\CLSID\\" + helper32);
  seed.text(HKEY_CLASSES_ROOT, L"CLSID\\" + helper, L"", L"演示帮助对象");
  seed.text(HKEY_CLASSES_ROOT, L"CLSID\\" + helper + L"\\InprocServer32", L"", L"C:\\Demo\\helper.dll");
  seed.text(HKEY_LOCAL_MACHINE, bar, toolbar, L"");
  seed.dword(HKEY_CURRENT_USER, marks + L"\\" + toolbar, L"Flags", 1);
  seed.text(HKEY_CURRENT_USER, menu + L"\\用演示下载器下载", L"", L"C:\\Demo\\menu.htm");
  const std::wstring bho32 = q(L"HKLM\\" + bho + L"\\" + helper32) + L" /reg:32";
  for (const std::wstring& args : {q(cls32) + L" /ve /d 演示32位帮助对象 /reg:32", bho32, q(L"HKLM\\" + bho + L"\\" + helper),
                                   q(cls32 + L"\\InprocServer32") + L" /ve /d C:\\x86.dll /reg:32"})  // helper keys: no value
    ASSERT_EQ(regExe(L"add " + args + L" /f").exitCode, 0u) << args;
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 1);
  // The state column sorts by pinyin (已禁用 jin before 已启用 qi, though 启 has the lower code), whole
  // rows moving, equal ones in list order; the selected row (the helper, listed first) stays selected.
  ui.clickRow(list, 0);
  ui.clickColumn(list, 2);
  const Rows sorted = {{L"未知", toolbar, L"已禁用", L"浏览器工具项", L"文件没有找到"},
                       {L"演示帮助对象", helper, L"已启用", L"浏览器帮助项", L"C:\\Demo\\helper.dll"},
                       {L"演示32位帮助对象", helper32, L"已启用", L"浏览器帮助项 (32位)", L"C:\\x86.dll"},
                       {L"用演示下载器下载", L"缺省", L"已启用", L"浏览器右键菜单", L"C:\\Demo\\menu.htm"}};
  ASSERT_EQ(ui.rows(list), sorted);
  // 禁用 writes the mark Flags=1; 启用 removes it.
  const std::wstring mark = L"HKCU\\" + marks + L"\\" + helper;
  ui.press(L"Command_cjgljy");
  EXPECT_TRUE(regLists(mark, L"Flags", L"REG_DWORD", L"0x1"));
  EXPECT_EQ(ui.rows(list).at(1)[2], L"已禁用");
  ui.press(L"Command_cjglqy");
  EXPECT_EQ(regQuery(q(mark)).exitCode, kRegNotFound);
  // 导出 in the order shown, in GBK, over a longer file; the dialog adds ".txt".
  const std::wstring dir = seed.folder(L"trova-addons");
  seed.file(dir + L"\\插件日志.txt", std::string(4096, 'x'));
  ui.press(L"Command_cjgldc");
  ASSERT_TRUE(ui.answerFile(L"导出", dir + L"\\插件日志"));
  EXPECT_EQ(ui.answerBox(L"提示"), L"导出成功!");
  std::wstring log = L"Trova日志文件\r\n \r\n";
  for (const Row& r : sorted)
    log += L"名称:" + r[0] + L"\r\ncisid:" + r[1] + L"\r\n状态:" + r[2] + L"\r\n类型:" + r[3] + L"\r\n文件:" + r[4] + L"\r\n \r\n";
  EXPECT_EQ(fileBytes(dir + L"\\插件日志.txt"), encoded(log, 936));
  // 删除 of the 32-bit helper takes it from the 32-bit view, its class staying;
  // the row was the selected one, so a second press finds nothing to delete.
  ui.clickRow(list, 2);
  ui.press(L"Command_cjglsc");
  EXPECT_EQ(ui.answerBox(L"提示"), L"删除成功!");
  EXPECT_EQ(regQuery(bho32).exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(q(cls32) + L" /reg:32").exitCode, 0u);
  ui.press(L"Command_cjglsc");
  EXPECT_EQ(ui.waitForDialog(L"提示", 300), nullptr);
  // A click beside the last tab picks nothing; one on the shown tab reads the registry again.
  seed.text(HKEY_LOCAL_MACHINE, bar, L"{11111111-AAAA-4BBB-8CCC-000000000004}", L"");
  RECT last{};
  SendMessageW(ui.control(L"TabStrip_cjmy"), TCM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&last));
  const LPARAM beside = MAKELPARAM(last.right + 40, (last.top + last.bottom) / 2);
  PostMessageW(ui.control(L"TabStrip_cjmy"), WM_LBUTTONDOWN, MK_LBUTTON, beside);
  PostMessageW(ui.control(L"TabStrip_cjmy"), WM_LBUTTONUP, 0, beside);
  ui.sync();
  EXPECT_EQ(ui.rows(list), (Rows{sorted[0], sorted[1], sorted[3]}));
  ui.pickTab(L"TabStrip_cjmy", 1);
  EXPECT_EQ(ui.rows(list).size(), 4u);
}

std::wstring immunityList(int c) { return L"ListView_cjmy(" + std::to_wstring(c) + L")"; }
// A control's key for the 64-bit browser, then for the 32-bit one.
std::vector<std::wstring> keysOf(const std::wstring& clsid) {
  const std::wstring key = L"SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility\\" + clsid;
  return {key, wow(key)};
}
// One record of cisid.dat: the list, then the name and the CLSID in GBK.
std::string userRecord(const std::wstring& name, const std::wstring& clsid) {
  const std::string n = encoded(name, 936), id = encoded(clsid, 936);
  std::string r = std::string{'\x03', '\0', static_cast<char>(n.size()), '\0'} + n + static_cast<char>(id.size()) + '\0' + id;
  r.resize(128, '\0');
  return r;
}

TEST(ImmunityWindow, AppliesMarksForBothBrowsersAndExportsEveryRow) {
  RegistrySeed seed;
  const std::wstring blocked = L"{33333333-AAAA-4BBB-8CCC-000000000001}";
  const std::wstring odd = L"{33333333-AAAA-4BBB-8CCC-000000000002 %\";=\t}";  // read specially by .reg files
  seed.file(programFolder() + L"\\cisid.dat", userRecord(L"演示用户控件", blocked) + userRecord(L"Second demo", odd));
  for (const auto& clsid : {blocked, odd})
    for (const auto& key : keysOf(clsid)) seed.keep(HKEY_LOCAL_MACHINE, key, L"Compatibility Flags");
  // Blocked for both browsers with a bit besides the kill-bit, the 32-bit one's as its installer writes it.
  seed.dword(HKEY_LOCAL_MACHINE, keysOf(blocked)[0], L"Compatibility Flags", 0x401);
  const std::wstring blockedKey = L"HKLM\\" + keysOf(blocked)[0];
  ASSERT_EQ(regExe(L"add " + q(blockedKey) + L" /v \"Compatibility Flags\" /t REG_DWORD /d 0x401 /f /reg:32").exitCode, 0u);
  UiSession ui;
  std::vector<Rows> lists;
  for (int c = 0; c < 4; ++c) lists.push_back(ui.rows(immunityList(c)));
  ASSERT_EQ(lists[3], (Rows{{L"演示用户控件", blocked, L"已免疫"}, {L"Second demo", odd, L"未免疫"}}));
  // A stand-in CLSID is painted grey, a known one in the text colour.
  std::map<bool, std::pair<int, int>> first;  // stand-in or not -> list, row
  for (int next[3] = {}; const CatalogueRow& c : kCatalogue)
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
  EXPECT_TRUE(!ui.checked(immunityList(3), 0) && ui.checked(immunityList(3), 1));
  ui.press(L"Command_cjmy");
  EXPECT_EQ(ui.answerBox(L"成功"), L"应用更改成功!");
  for (const wchar_t* view : {L"/reg:64", L"/reg:32"})
    EXPECT_TRUE(regLists(blockedKey, L"Compatibility Flags", L"REG_DWORD", L"0x1", view)) << view << ": the other bit stays";
  for (const auto& key : keysOf(odd))  // a name reg.exe's command line cannot carry
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, key, L"Compatibility Flags"), (RawValue{REG_DWORD, {0, 4, 0, 0}}));
  EXPECT_EQ(ui.rows(immunityList(3)), (Rows{{L"演示用户控件", blocked, L"未免疫"}, {L"Second demo", odd, L"已免疫"}}));
  // 导出: every row of the four lists, for both browsers; to $TROVA_IMMUNITY_EXPORT if set (immunity_import.sh).
  const wchar_t* given = _wgetenv(L"TROVA_IMMUNITY_EXPORT");
  const std::wstring path = given && *given ? given : seed.folder(L"trova-immunity") + L"\\kill-bits.reg";
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

TEST(StartupWindow, DisablesEnablesAddsAndDeletesInTheirOwnKeys) {
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", expand = L"%SystemRoot%\\notepad.exe /p";
  const std::wstring hkcu = L"HKCU\\" + run, hklm = L"HKLM\\" + run, list = L"ListView_qdxm";
  RegistrySeed seed;
  const std::wstring program = seed.folder(L"Trova 启动 测试") + L"\\启动 演示.exe";
  seed.file(program, "");
  seed.text(HKEY_CURRENT_USER, run, L"Aa 用户项", expand, REG_EXPAND_SZ);
  seed.text(HKEY_LOCAL_MACHINE, run, L"Beta 已停用", L";C:\\Demo\\beta.exe");
  seed.keep(HKEY_LOCAL_MACHINE, run, L"无结尾");  // stored by another program without its ending NUL
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, run.c_str(), L"无结尾", REG_SZ, L"C:\\bare.exe", 11 * sizeof(wchar_t));
  seed.keep(HKEY_LOCAL_MACHINE, wow(run), L"三十二位");
  seed.keep(HKEY_CURRENT_USER, run, L"我的 启动项");
  ASSERT_EQ(regExe(L"add " + q(hklm) + L" /v 三十二位 /d C:\\x86\\tray.exe /f /reg:32").exitCode, 0u);
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 2);
  EXPECT_THAT(ui.rows(list), testing::IsSupersetOf<Rows>({{L"Aa 用户项", L"HCUR", L"已启用", expand},
                                                          {L"Beta 已停用", L"HLMR", L"已禁用", L";C:\\Demo\\beta.exe"},
                                                          {L"无结尾", L"HLMR", L"已启用", L"C:\\bare.exe"},
                                                          {L"三十二位", L"HLMR32", L"已启用", L"C:\\x86\\tray.exe"}}));
  // Each button acts on the clicked row, in its own key and view, keeping the value's type.
  const auto act = [&](const wchar_t* name, const wchar_t* button) {
    ui.clickRow(list, ui.rowWith(list, 0, name));
    ui.press(button);
  };
  act(L"Aa 用户项", L"Command_qdxmjy");
  EXPECT_TRUE(regLists(hkcu, L"Aa 用户项", L"REG_EXPAND_SZ", L";" + expand));
  act(L"Beta 已停用", L"Command_qdxmqy");
  EXPECT_TRUE(regLists(hklm, L"Beta 已停用", L"REG_SZ", L"C:\\Demo\\beta.exe"));
  act(L"三十二位", L"Command_qdxmjy");
  EXPECT_TRUE(regLists(hklm, L"三十二位", L"REG_SZ", L";C:\\x86\\tray.exe", L"/reg:32"));
  EXPECT_EQ(regQuery(q(hklm) + L" /v 三十二位 /reg:64").exitCode, kRegNotFound);
  act(L"Aa 用户项", L"Command_qdxmsc");
  EXPECT_EQ(regQuery(q(hkcu) + L" /v \"Aa 用户项\"").exitCode, kRegNotFound);
  // 添加: the file dialog, then the name prompt; the path goes in as chosen.
  ui.press(L"Command_qdxmtj");
  ASSERT_TRUE(ui.answerFile(L"添加", program));
  EXPECT_EQ(ui.answerBox(L"添加", L"我的 启动项"), L"输入启动项名称:");
  EXPECT_TRUE(regLists(hkcu, L"我的 启动项", L"REG_SZ", program));
}

TEST(SoftwareWindow, UninstallsWithTheStoredArgumentsAndDeletesFromEitherView) {
  const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TrovaE2E.", list = L"ListView_rjxz";
  RegistrySeed seed;
  const std::wstring dir = seed.folder(L"Trova 卸载 测试");  // blanks in its name, as under "Program Files"
  ASSERT_TRUE(CopyFileW((programFolder() + L"\\record_args.exe").c_str(), (dir + L"\\record_args.exe").c_str(), FALSE));
  SetEnvironmentVariableW(L"TROVA_UNINSTALL_DIR", dir.c_str());
  for (const auto& [alias, name, uninstaller] :
       {std::tuple{L"Quoted", L"记录参数的程序", L"\"%TROVA_UNINSTALL_DIR%\\record_args.exe\" /S /LOG=\"x y\""},
        {L"Missing", L"已删除的程序", L"\"C:\\没有这个目录\\uninst.exe\" /S"}, {L"Both", L"两种视图", L""}}) {
    seed.text(HKEY_LOCAL_MACHINE, uninstall + alias, L"DisplayName", name);
    seed.text(HKEY_LOCAL_MACHINE, uninstall + alias, L"UninstallString", uninstaller);
  }
  seed.clear(HKEY_LOCAL_MACHINE, wow(uninstall) + L"Both");
  ASSERT_EQ(regExe(L"add " + q(L"HKLM\\" + uninstall + L"Both") + L" /v DisplayName /d 两种视图 /f /reg:32").exitCode, 0u);
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 1);
  // 卸载 starts the program, the variable expanded and the arguments as stored.
  ui.clickRow(list, ui.rowWith(list, 3, L"TrovaE2E.Quoted"));
  ui.press(L"Command_rjxzxz");
  std::string line;
  ASSERT_TRUE(waitUntil([&] { return !(line = fileBytes(dir + L"\\record_args.txt")).empty(); }, 30000));
  EXPECT_TRUE(decoded(line, CP_UTF8).ends_with(L"\\record_args.exe\" /S /LOG=\"x y\"")) << decoded(line, CP_UTF8);
  // One that cannot start is reported with the reason.
  ui.clickRow(list, ui.rowWith(list, 3, L"TrovaE2E.Missing"));
  ui.press(L"Command_rjxzxz");
  EXPECT_EQ(ui.answerBox(L"提示").rfind(L"无法卸载“已删除的程序”：卸载程序 C:\\没有这个目录\\uninst.exe 没有启动：", 0), 0u);
  // 删除 of the 32-bit view's row (listed after the 64-bit one's) leaves the 64-bit registration.
  const Rows rows = ui.rows(list);
  int row32 = static_cast<int>(rows.size()) - 1;
  while (rows[static_cast<std::size_t>(row32)][3] != L"TrovaE2E.Both") --row32;
  ui.clickRow(list, row32);
  ui.press(L"Command_rjxzsc");
  EXPECT_EQ(regQuery(q(L"HKLM\\" + uninstall + L"Both") + L" /reg:32").exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(q(L"HKLM\\" + uninstall + L"Both") + L" /reg:64").exitCode, 0u);
}

TEST(PrivacyWindow, CleansTheTickedTracesAndNothingAroundThem) {
  const std::wstring tray = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
  RegistrySeed seed;
  for (const std::wstring root : {L"Software\\ACD Systems", L"Software\\WinImage", L"Software\\Taobao", tray.c_str()}) {
    ASSERT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, root)) << "not the test's to clean";
    seed.clear(HKEY_CURRENT_USER, root);
  }
  const struct { std::wstring key, value; bool gone; } spots[] = {  // no value: the key itself
      {L"Software\\ACD Systems\\ACDSee32\\HistPaths", L"", true},  // row 1
      {L"Software\\ACD Systems\\ACDSee32\\Options", L"", false},  // beside it: stays, and so its parent
      {L"Software\\WinImage\\Settings", L"", false},  // row 24, whose key has a key of its own
      {tray, L"IconStreams", true}, {tray, L"BalloonTips", false},  // row 28
      {L"Software\\Taobao\\WangWang\\淘宝旺旺", L"", true},  // row 33
      {L"Software\\Taobao\\WangWang\\Options", L"", false}};
  for (const auto& s : spots) seed.text(HKEY_CURRENT_USER, s.key, s.value.empty() ? L"Last" : s.value, L"trace");
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 3);
  ASSERT_EQ(ui.rows(L"ListView_ysql").at(32)[0], L"淘宝旺旺登陆名");
  for (int r : {0, 23, 27, 32}) ASSERT_TRUE(ui.clickCheckBox(L"ListView_ysql", r)) << r;
  ui.press(L"Command_ysql");
  EXPECT_EQ(ui.answerBox(L"提示"), L"清理XP隐藏不活动的图标痕迹后需重新启动系统才可生效");
  EXPECT_EQ(ui.answerBox(L"提示"), L"清理完成!\n\n以下项目未能清理：\nWinImage打开的文件：它的注册表项下还有子项");
  for (const auto& s : spots)
    EXPECT_EQ(regQuery(q(L"HKCU\\" + s.key) + (s.value.empty() ? L"" : L" /v " + s.value)).exitCode,
              s.gone ? kRegNotFound : 0u) << s.key << " " << s.value;
}

TEST(SettingsWindow, ShowsTheStoredSettingsAndAppliesWhatTheUserChanged) {
  const std::wstring main = L"Software\\Microsoft\\Internet Explorer\\Main", partner = L"http://www.baidu.com/s?tn=partner";
  const std::wstring search = L"SOFTWARE\\Microsoft\\Internet Explorer\\Search", search32 = wow(search);
  const std::wstring policies = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
  const std::wstring services = L"SYSTEM\\CurrentControlSet\\Services\\", tcpip = services + L"Tcpip\\Parameters";
  const std::wstring mstcp = services + L"VXD\\MSTCP", keepAlive = services + L"NetBT\\Parameters";
  const std::wstring server = services + L"lanmanserver\\parameters";
  const std::wstring internet = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  const HKEY hkcu = HKEY_CURRENT_USER, hklm = HKEY_LOCAL_MACHINE, hkcr = HKEY_CLASSES_ROOT;
  ASSERT_FALSE(RegistrySeed::exists(hkcu, policies)) << "the prefix sets no policy of its own";
  RegistrySeed seed;
  for (const auto& [root, key, name, data] :
       {std::tuple{hkcu, main, L"Window Title", L"演示浏览器"}, {hkcu, main, L"Start Page", L"http://www.google.com/ig?hl=zh-CN"},
        {hkcu, main, L"Search Page", L"http://search.example.org/?q="}, {hklm, search, L"SearchAssistant", partner.c_str()},
        {hklm, search32, L"SearchAssistant", L"http://old32.example/"}, {hkcr, L"txtfile\\shell\\open\\command", L"", L"bogus.exe %1"},
        {hkcr, L"batfile\\shell\\open\\command", L"", L"seeded.exe %1"}})
    seed.text(root, key, name, data);
  for (const auto& [root, key, name, data] :
       {std::tuple{hkcu, policies, L"ContentTab", 1}, {hkcu, policies, L"History", 2}, {hkcu, internet, L"MaxConnectionsPerServer", 5},
        {hkcu, internet, L"MaxConnectionsPer1_0Server", 5}, {hklm, tcpip + L"\\Interfaces", L"MTU", 1450},
        {hklm, tcpip, L"TCPWindowSize", 8192}, {hklm, tcpip, L"DefaultTTL", 128}, {hklm, tcpip, L"GlobalMaxTcpWindowSize", 8192},
        {hklm, keepAlive, L"SessionKeepAlive", 20}, {hklm, server, L"AutoShareWks", 0},
        {hklm, L"SYSTEM\\CurrentControlSet\\Control\\Lsa", L"restrictanonymous", 0}})
    seed.dword(root, key, name, static_cast<DWORD>(data));
  for (const wchar_t* c : {L"inifile", L"inffile", L"regfile", L"exefile", L"comfile", L"pifile", L"scrfile"})
    seed.keep(hkcr, c + std::wstring(L"\\shell\\open\\command"), L"");
  for (const auto& [key, name] :
       {std::pair{search, L"CustomizeSearch"}, {search32, L"CustomizeSearch"}, {mstcp, L"MaxDupAcks"}, {server, L"AutoShareServer"}})
    seed.keep(hklm, key, name);
  RegDeleteKeyValueW(hklm, mstcp.c_str(), L"MaxDupAcks");
  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  // 浏览器设置: what is stored, as stored; the search assistant is the 64-bit browser's.
  EXPECT_EQ(SendMessageW(ui.control(L"Check_iebt"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(ui.text(L"Text_iebt"), L"演示浏览器");
  EXPECT_EQ(ui.text(L"Combo_iesy"), L"使用谷歌个性");
  EXPECT_EQ(ui.text(L"Text_iesszsdz"), partner);
  const std::wstring list = L"ListView_llqsz";
  const int content = ui.rowWith(list, 0, L"禁止使用 内容页"), proxy = ui.rowWith(list, 0, L"禁止使用 ...代理");
  EXPECT_EQ(ui.rows(list).at(content)[1] + ui.rows(list).at(proxy)[1], L"已屏蔽未屏蔽");
  EXPECT_TRUE(ui.checked(list, content) && !ui.checked(list, proxy));
  // The default home page picked, the title dropped, a folder typed, all pages blocked by the box, the proxy by hand.
  ASSERT_TRUE(ui.pickEntry(L"Combo_iesy", L"使用默认首页"));
  ui.press(L"Check_iebt");
  SetWindowTextW(ui.control(L"Text_iexzml"), L"D:\\新下载");
  ui.press(L"Check_llqsz");
  ASSERT_TRUE(ui.clickCheckBox(list, proxy));
  ui.press(L"Command_llqsz");
  EXPECT_EQ(ui.answerBox(L"提示"), L"应用成功,重新启动浏览器后生效!");
  EXPECT_EQ(regQuery(q(L"HKCU\\" + main) + L" /v \"Window Title\"").exitCode, kRegNotFound);
  EXPECT_TRUE(regLists(L"HKCU\\" + main, L"Start Page", L"REG_SZ", L"http://go.microsoft.com/fwlink/?LinkId=69157"));
  EXPECT_TRUE(regLists(L"HKCU\\" + main, L"Search Page", L"REG_SZ", L"http://search.example.org/?q=")) << "no preset's: kept";
  EXPECT_TRUE(regLists(L"HKCU\\Software\\Microsoft\\Internet Explorer", L"Download Directory", L"REG_SZ", L"D:\\新下载"));
  for (const wchar_t* view : {L"/reg:64", L"/reg:32"})
    for (const wchar_t* name : {L"SearchAssistant", L"CustomizeSearch"})
      EXPECT_TRUE(regLists(L"HKLM\\" + search, name, L"REG_SZ", partner, view)) << view << name;
  for (const wchar_t* name : {L"GeneralTab", L"ContentTab", L"ProgramsTab", L"AdvancedTab", L"Proxy", L"History"})
    EXPECT_TRUE(regLists(L"HKCU\\" + policies, name, L"REG_DWORD", name == std::wstring(L"History") ? L"0x0" : L"0x1")) << name;
  // 系统关联: what is stored (a greyed box for a value of no choice), then changed.
  ui.pickTab(L"SSTab_xtsz", 4);
  EXPECT_EQ(ui.text(L"Combo_wlszzdcsdy"), L"1450 (当前)");
  EXPECT_EQ(ui.text(L"Combo_wlsztcpipfzsm"), L"128");
  EXPECT_EQ(SendMessageW(ui.control(L"Check_wlszyhsessionkeepalive"), BM_GETCHECK, 0, 0), BST_INDETERMINATE);
  ui.press(L"Check_wlszyhtcpmaxdupacks");
  ASSERT_TRUE(ui.pickEntry(L"Combo_yhtcpmaxdupacks", L"3"));
  ASSERT_TRUE(ui.pickEntry(L"Combo_wlsztcpipfzsm", L"64(推荐)"));
  for (const wchar_t* box : {L"Check_wlszjzzdgxworks", L"Check_wjgliniinf", L"Check_wjglreg"}) ui.press(box);
  ui.press(L"Command_xtglyy");
  EXPECT_EQ(ui.answerBox(L"提示"), L"应用成功");
  for (const auto& [key, name, data] : {std::tuple{tcpip + L"\\Interfaces", L"MTU", L"0x5aa"}, {tcpip, L"DefaultTTL", L"0x40"},
                                        {mstcp, L"MaxDupAcks", L"0x3"}, {keepAlive, L"SessionKeepAlive", L"0x14"}})
    EXPECT_TRUE(regLists(L"HKLM\\" + key, name, L"REG_DWORD", data)) << name;  // 1450 and the greyed 20 stay
  EXPECT_EQ(regQuery(q(L"HKLM\\" + server) + L" /v AutoShareWks").exitCode, kRegNotFound);
  // A class's open command, as reg.exe lists a default value (named in the system's language).
  const auto opens = [&](const std::wstring& c, const std::wstring& command) {
    return regQuery(L"HKCR\\" + c + L"\\shell\\open\\command /ve").text.find(L"    REG_SZ    " + command + L"\r") !=
           std::wstring::npos;
  };
  for (const wchar_t* c : {L"txtfile", L"inifile", L"inffile"})
    EXPECT_TRUE(opens(c, _wgetenv(L"SystemRoot") + std::wstring(L"\\notepad.exe %1"))) << c;
  EXPECT_TRUE(opens(L"regfile", L"regedit.exe \"%1\""));
  EXPECT_TRUE(opens(L"batfile", L"seeded.exe %1")) << "not ticked, not touched";
}

TEST(HostsWindow, SavesWhatWasAddedAndDeletedByteForByteAndUndoesIt) {
  RegistrySeed seed;
  const std::wstring dir = seed.folder(L"trova-hosts"), hosts = dir + L"\\hosts", list = L"List_wzmy";
  seed.text(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", L"DataBasePath", dir);
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
  EXPECT_EQ(ui.answerBox(L"添加", L"ad.example.com"), L"输入网站地址,如www.example.com");
  EXPECT_EQ(ui.answerBox(L"添加"), L"输入IP地址,如需屏蔽,输入127.0.0.255");  // its offer kept
  ui.press(L"Command_wzmytj");
  ui.answerBox(L"添加", L"广告.example.com");
  ui.answerBox(L"添加", L"typed, then cancelled", IDCANCEL);
  EXPECT_EQ(ui.rows(list), (Rows{{L"127.0.0.1 例子.com"}, {L"127.0.0.1\t例子.net  "},
                                 {L"127.0.0.255      ad.example.com"}, {L"      广告.example.com"}}));
  EXPECT_EQ(fileBytes(hosts), original) << "only a save writes";
  ui.press(L"Command_wzmybc");
  EXPECT_EQ(ui.answerBox(L"提示"), L"保存应用成功!\r\n原hosts文件已备份为 " + dir + L"\\hosts.bak");
  EXPECT_EQ(fileBytes(hosts), writeHostsFile({}) + utf8 + "\r\n" + gbk +
                                  "\r\n127.0.0.255      ad.example.com\r\n      \xB9\xE3\xB8\xE6.example.com\r\n");
  EXPECT_EQ(GetFileAttributesW(hosts.c_str()) & 6u, 6u) << "still hidden and system";
  EXPECT_EQ(fileBytes(dir + L"\\hosts.bak"), original);
  EXPECT_EQ(filesIn(dir), (std::vector<std::wstring>{L"hosts", L"hosts.bak"})) << "no temporary file is left";
  ui.pickTab(L"TabStrip_cjmy", 4);
  ui.clickRow(L"ListView_gjls", 0);
  ui.press(L"Command_gjcx");
  EXPECT_TRUE(ui.answerBox(L"提示").starts_with(L"已撤销“网站免疫 · 保存应用”"));
  EXPECT_EQ(fileBytes(hosts), original);

  // Refused, the user told, the file as it was and nothing left beside it: a read-only file (Windows
  // would not replace it; Wine would), then one that another program holds open without sharing.
  ui.pickTab(L"TabStrip_cjmy", 3);
  for (const bool held : {false, true}) {
    SetFileAttributesW(hosts.c_str(), held ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY);
    HANDLE other = held ? CreateFileW(hosts.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) : nullptr;
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ui.press(L"Command_wzmybc");
    const std::wstring said = ui.answerBox(L"提示");
    if (held) CloseHandle(other);
    EXPECT_TRUE(said.starts_with(L"保存失败：无法写入 ") && said.find(L"原文件没有改动") != std::wstring::npos) << said;
    EXPECT_EQ(fileBytes(hosts), original) << held;
    EXPECT_EQ(filesIn(dir), (std::vector<std::wstring>{L"hosts", L"hosts.bak"})) << held;
  }
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
  const std::wstring history = Win32Folders().localAppDataFolder() + L"\\Trova\\";
  const std::vector<std::wstring> sets = filesIn(history, L".reg");  // oldest first: the deletions' last
  ASSERT_GE(sets.size(), 2u);
  // 工具 shows what the newest set changed, and undoes it.
  ui.pickTab(L"TabStrip_cjmy", 4);
  ui.clickRow(L"ListView_gjls", 0);
  EXPECT_GE(ui.rowWith(L"ListView_gjgg", 1, L"名" + odd), 0) << "the value's name, whole";
  ui.press(L"Command_gjcx");
  EXPECT_TRUE(ui.answerBox(L"提示").starts_with(L"已撤销“软件卸载 · 仅仅删除信息”"));
  EXPECT_TRUE(whole(keys[1]));
  // The deletions' sets imported as a user would.
  for (const wchar_t* client : {L"regedit.exe /s ", L"reg.exe import "})
    for (std::size_t i = 0; i < 2; ++i) {
      RegDeleteTreeW(HKEY_LOCAL_MACHINE, keys[i].c_str());
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, keys[i].c_str());
      EXPECT_EQ(tool(client + q(history + sets[sets.size() - 2 + i])).exitCode, 0u);
      EXPECT_TRUE(whole(keys[i])) << client << "set " << i;
    }
}

// Hostile input, one journey over every page: a 255-character key name, a 16,383-character value
// name, a 1 MB string, a 32,767-character command line, names with what .reg files, command lines
// and variables read specially and characters the ANSI code page lacks, a hosts line of 100 KB, an
// Uninstall key of 5,000 sub-keys. Each page lists and acts on them and writes them whole, or
// refuses with a message that says why; no step takes more than seconds.
const std::wstring kOdd = L"a\t%\";=ä한😀";
std::wstring padded(std::wstring head, std::size_t length, wchar_t fill) { head.resize(length, fill); return head; }
const std::wstring kKeyName = padded(kOdd, 255, L'k'), kValueName = padded(kOdd, 16383, L'v');
const std::wstring kMegabyte = padded(kOdd, 524287, L'm');  // 1 MiB with its terminator

template <typename Step>
void timed(const char* what, const Step& step) {
  const DWORD start = GetTickCount();
  step();
  const unsigned long ms = GetTickCount() - start;
  std::printf("[ figure ] %s: %lu ms\n", what, ms);
  EXPECT_LT(ms, 10000u) << what;
}
// Long texts are compared without printing them.
#define EXPECT_WHOLE(actual, expected) EXPECT_TRUE((actual) == (expected)) << #actual " is not whole"

TEST(HostileInput, EveryPageListsActsOnAndWritesExtremeNamesWholeOrRefusesClearly) {
  RegistrySeed seed;
  const HKEY hklm = HKEY_LOCAL_MACHINE, hkcu = HKEY_CURRENT_USER;
  const std::wstring dir = seed.folder(L"trova-hostile"), uninstaller = dir + L"\\record_args.exe";
  const std::wstring bar = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar", menu = L"Software\\Microsoft\\Internet Explorer\\MenuExt\\" + kOdd;
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const std::wstring command = padded(L"\"C:\\" + kOdd + L"\\run.exe\" /x ", 32767, L'c');
  const std::wstring arguments = padded(L"/x " + kOdd + L" ", 32000 - uninstaller.size(), L'u');
  seed.text(hklm, bar, kValueName, kOdd + L" 工具");
  seed.text(hkcu, menu, L"", kMegabyte);
  seed.text(hkcu, run, kValueName, command);
  for (int i = 0; i < 5000; ++i) seed.text(hkcu, uninstall + L"批量" + std::to_wstring(i), L"DisplayName", L"批量软件");
  ASSERT_TRUE(CopyFileW((programFolder() + L"\\record_args.exe").c_str(), uninstaller.c_str(), FALSE));
  seed.text(hkcu, uninstall + kKeyName, L"DisplayName", kOdd + L" 软件");
  seed.text(hkcu, uninstall + kKeyName, L"UninstallString", L"\"" + uninstaller + L"\" " + arguments);
  const std::wstring trace = L"Software\\WinRAR\\ArcHistory";  // row 25 of 系统清理
  seed.clear(hkcu, L"Software\\WinRAR");
  const std::pair<std::wstring, RawValue> values[] = {
      {kValueName, textValue(kOdd)}, {kOdd, textValue(kMegabyte)}, {L"", textValue(L"%SystemRoot%\\" + kOdd, REG_EXPAND_SZ)},
      {L"多" + kOdd, textValue(kOdd + L'\0' + L"二" + L'\0', REG_MULTI_SZ)}};
  for (const auto& [name, v] : values)
    RegSetKeyValueW(hkcu, trace.c_str(), name.c_str(), v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
  seed.text(hklm, L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters", L"DataBasePath", dir);
  const std::string longLine = "127.0.0.1 " + std::string(100 * 1024, 'a') + ".example # \xC3\xA4\xED\x95\x9C";
  seed.file(dir + L"\\hosts", longLine + "\r\n# a comment\r\n127.0.0.1\tshort.example\r\n");
  seed.file(programFolder() + L"\\cisid.dat", std::nullopt);
  std::optional<UiSession> ui;
  timed("start-up (catalogue and kill-bits)", [&] { ui.emplace(); });
  // 插件管理: listed whole; a 16,383-character identifier cannot name a disabled mark's key (the user is told); both deleted.
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
  EXPECT_WHOLE(ui->rows(L"ListView_qdxm").at(entry), (Row{kValueName, L"HCUR", L"已启用", command}));
  ui->clickRow(L"ListView_qdxm", entry);
  timed("启动项目: 禁用", [&] { ui->press(L"Command_qdxmjy"); });
  EXPECT_WHOLE(rawValue(hkcu, run, kValueName), textValue(L";" + command));
  timed("启动项目: 删除", [&] { ui->press(L"Command_qdxmsc"); });
  EXPECT_FALSE(rawValue(hkcu, run, kValueName));
  // 软件卸载: among 5,000, an uninstaller started with 32,000 characters of arguments.
  ui->pickTab(L"SSTab_xtsz", 1);
  const int program = ui->rowWith(L"ListView_rjxz", 0, kOdd + L" 软件");
  ASSERT_GE(program, 0);
  EXPECT_EQ(ui->rows(L"ListView_rjxz").at(program)[3], kKeyName);
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
  EXPECT_WHOLE(ui->rows(L"List_wzmy").at(0)[0], decoded(longLine, CP_UTF8));
  ui->press(L"Command_wzmytj");
  ui->answerBox(L"添加", L"ad.example");
  ui->answerBox(L"添加", L"127.0.0.255");
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
    ui->answerBox(L"添加自定义", typed);
    ui->answerBox(L"添加自定义", L"{a\t%\";=b}");
  }
  EXPECT_EQ(ui->answerBox(L"结果"), L"添加失败!\r\n插件名称或cisid中有系统代码页无法保存的字符。");
  EXPECT_EQ(ui->rows(L"ListView_cjmy(3)"), (Rows{{L"怪名 %\";=\t", L"{a\t%\";=b}", L"未免疫"}}));
}

}  // namespace
}  // namespace trova::test
