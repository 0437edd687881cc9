// The pages of 系统设置 as a user works them: entries of both registry views
// (the 32-bit one's written with reg.exe /reg:32, as its installer would)
// listed and changed through the real window, and each result read back with
// reg.exe; an uninstaller that records the command line it was started with.
#include <windows.h>
#include <shellapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "harness/registry_seed.h"
#include "harness/ui_session.h"

namespace trova::test {
namespace {

using testing::IsSupersetOf;
std::wstring q(const std::wstring& s) { return L"\"" + s + L"\""; }
bool lists(const std::wstring& key, const std::wstring& name, const std::wstring& type, const std::wstring& data,
           const std::wstring& view = L"") {
  return regQuery(q(key) + L" /v " + q(name) + L" " + view).lists(name, type, data);
}

TEST(StartupWindow, DisablesEnablesAddsAndDeletesInTheirOwnKeys) {
  const std::wstring run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", expand = L"%SystemRoot%\\notepad.exe /p";
  const std::wstring hkcu = L"HKCU\\" + run, hklm = L"HKLM\\" + run, list = L"ListView_qdxm";
  RegistrySeed seed;
  Scratch dir(L"Trova 启动 测试");
  seed.file(dir.file(L"启动 演示.exe"), "");
  seed.text(HKEY_CURRENT_USER, run, L"Aa 用户项", expand, REG_EXPAND_SZ);
  seed.text(HKEY_LOCAL_MACHINE, run, L"Beta 已停用", L";C:\\Demo\\beta.exe");
  seed.keep(HKEY_LOCAL_MACHINE, run, L"无结尾");  // stored by another program without its ending NUL
  RegSetKeyValueW(HKEY_LOCAL_MACHINE, run.c_str(), L"无结尾", REG_SZ, L"C:\\bare.exe", 11 * sizeof(wchar_t));
  seed.keep(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node" + run.substr(8), L"三十二位");
  seed.keep(HKEY_CURRENT_USER, run, L"我的 启动项");
  ASSERT_EQ(regExe(L"add " + q(hklm) + L" /v 三十二位 /d C:\\x86\\tray.exe /f /reg:32").exitCode, 0u);

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 2);
  EXPECT_THAT(ui.rows(list), IsSupersetOf<Rows>({{L"Aa 用户项", L"HCUR", L"已启用", expand},
                                                 {L"Beta 已停用", L"HLMR", L"已禁用", L";C:\\Demo\\beta.exe"},
                                                 {L"无结尾", L"HLMR", L"已启用", L"C:\\bare.exe"},
                                                 {L"三十二位", L"HLMR32", L"已启用", L"C:\\x86\\tray.exe"}}));
  // Each button acts on the clicked row, in its own key and view, keeping the value's type.
  const auto act = [&](const std::wstring& name, const wchar_t* button) {
    ui.clickRow(list, ui.rowWith(list, 0, name));
    ui.press(button);
  };
  act(L"Aa 用户项", L"Command_qdxmjy");
  EXPECT_TRUE(lists(hkcu, L"Aa 用户项", L"REG_EXPAND_SZ", L";" + expand));
  act(L"Beta 已停用", L"Command_qdxmqy");
  EXPECT_TRUE(lists(hklm, L"Beta 已停用", L"REG_SZ", L"C:\\Demo\\beta.exe"));
  act(L"三十二位", L"Command_qdxmjy");
  EXPECT_TRUE(lists(hklm, L"三十二位", L"REG_SZ", L";C:\\x86\\tray.exe", L"/reg:32"));
  EXPECT_EQ(regQuery(q(hklm) + L" /v 三十二位 /reg:64").exitCode, kRegNotFound);
  act(L"Aa 用户项", L"Command_qdxmsc");
  EXPECT_EQ(regQuery(q(hkcu) + L" /v \"Aa 用户项\"").exitCode, kRegNotFound);
  EXPECT_EQ(ui.rowWith(list, 0, L"Aa 用户项"), -1);
  // 添加: the file dialog, then the name prompt; the path goes in as chosen.
  ui.press(L"Command_qdxmtj");
  ASSERT_TRUE(ui.answerFile(L"添加", dir.file(L"启动 演示.exe")));
  EXPECT_EQ(ui.answerInput(L"添加", L"我的 启动项"), L"输入启动项名称:");
  EXPECT_TRUE(lists(hkcu, L"我的 启动项", L"REG_SZ", dir.file(L"启动 演示.exe")));
  EXPECT_EQ(ui.waitForDialog(L"提示", 0), nullptr) << "what succeeded is not reported";
}

TEST(SoftwareWindow, UninstallsWithTheStoredArgumentsAndDeletesFromEitherView) {
  const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TrovaE2E.", list = L"ListView_rjxz";
  RegistrySeed seed;
  Scratch dir(L"Trova 卸载 测试");  // blanks in its name, as under "Program Files"
  ASSERT_TRUE(CopyFileW((programFolder() + L"\\record_args.exe").c_str(), dir.file(L"record_args.exe").c_str(), FALSE));
  SetEnvironmentVariableW(L"TROVA_UNINSTALL_DIR", dir.path().c_str());
  for (const auto& [alias, name, uninstaller] :
       {std::tuple{L"Quoted", L"记录参数的程序", L"\"%TROVA_UNINSTALL_DIR%\\record_args.exe\" /S /LOG=\"x y\""},
        {L"Missing", L"已删除的程序", L"\"C:\\没有这个目录\\uninst.exe\" /S"}, {L"Nested\\Components", L"", L""},
        {L"Nested", L"有子项的程序", L""}, {L"Both", L"两种视图", L""}}) {
    seed.text(HKEY_LOCAL_MACHINE, uninstall + alias, L"DisplayName", name);
    seed.text(HKEY_LOCAL_MACHINE, uninstall + alias, L"UninstallString", uninstaller);
  }
  seed.clear(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node" + uninstall.substr(8) + L"Both");
  ASSERT_EQ(regExe(L"add " + q(L"HKLM\\" + uninstall + L"Both") + L" /v DisplayName /d 两种视图 /f /reg:32").exitCode, 0u);

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 1);
  // 卸载 starts the program, the variable expanded and the arguments as stored.
  ui.clickRow(list, ui.rowWith(list, 3, L"TrovaE2E.Quoted"));
  ui.press(L"Command_rjxzxz");
  std::string line;
  ASSERT_TRUE(waitUntil([&] { return !(line = fileBytes(dir.file(L"record_args.txt"))).empty(); }, 30000));
  const std::wstring got = decoded(line, CP_UTF8);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(got.c_str(), &argc);
  EXPECT_EQ(argc == 3 ? _wcsicmp(argv[0], dir.file(L"record_args.exe").c_str()) : argc, 0) << got;
  LocalFree(argv);
  EXPECT_TRUE(got.ends_with(L"\" /S /LOG=\"x y\"")) << got;
  EXPECT_EQ(ui.rowWith(list, 3, L"TrovaE2E.Quoted"), -1) << "the row goes once it started";
  // One that cannot start stays, and the user is told why.
  ui.clickRow(list, ui.rowWith(list, 3, L"TrovaE2E.Missing"));
  ui.press(L"Command_rjxzxz");
  EXPECT_EQ(ui.answerBox(L"提示").rfind(L"无法卸载“已删除的程序”：卸载程序 C:\\没有这个目录\\uninst.exe 没有启动：", 0), 0u);
  EXPECT_GE(ui.rowWith(list, 3, L"TrovaE2E.Missing"), 0);
  // 删除 of the 32-bit view's row (listed after the 64-bit one's) leaves the 64-bit registration.
  const Rows rows = ui.rows(list);
  int row32 = static_cast<int>(rows.size()) - 1;
  while (rows[static_cast<std::size_t>(row32)][3] != L"TrovaE2E.Both") --row32;
  ui.clickRow(list, row32);
  ui.press(L"Command_rjxzsc");
  EXPECT_EQ(regQuery(q(L"HKLM\\" + uninstall + L"Both") + L" /reg:32").exitCode, kRegNotFound);
  EXPECT_EQ(regQuery(q(L"HKLM\\" + uninstall + L"Both") + L" /reg:64").exitCode, 0u);
  // A key with keys of its own is refused by the registry; the row stays.
  ui.clickRow(list, ui.rowWith(list, 3, L"TrovaE2E.Nested"));
  ui.press(L"Command_rjxzsc");
  EXPECT_EQ(ui.answerBox(L"提示"), L"无法删除“有子项的程序”的注册信息：它的注册表项下还有子项");
  EXPECT_EQ(regQuery(q(L"HKLM\\" + uninstall + L"Nested")).exitCode, 0u);
}

TEST(PrivacyWindow, CleansTheTickedTracesAndNothingAroundThem) {
  const std::wstring tray = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
  RegistrySeed seed;
  for (const std::wstring root : {L"Software\\ACD Systems", L"Software\\ES-Computing", L"Software\\WinImage",
                                  L"Software\\yahoo", L"Software\\Taobao", tray.c_str()}) {
    ASSERT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, root)) << "not the test's to clean";
    seed.clear(HKEY_CURRENT_USER, root);
  }
  const struct {
    std::wstring key, value;  // no value: the key itself
    bool gone;
  } spots[] = {{L"Software\\ACD Systems\\ACDSee32\\HistPaths", L"", true},  // row 1
               {L"Software\\ACD Systems\\ACDSee32\\Options", L"", false},
               {L"Software\\ES-Computing\\EditPlus 2\\Recent File List", L"", false},  // row 7, not ticked
               {L"Software\\WinImage\\Settings", L"", false},  // row 24, whose key has a key of its own
               {tray, L"IconStreams", true},                   // row 28
               {tray, L"PastIconsStream", true},
               {tray, L"BalloonTips", false},
               {L"Software\\yahoo\\Pager", L"", true},               // row 30
               {L"Software\\Taobao\\WangWang\\淘宝旺旺", L"", true},  // row 33
               {L"Software\\Taobao\\WangWang\\Options", L"", false}};
  for (const auto& s : spots) seed.text(HKEY_CURRENT_USER, s.key, s.value.empty() ? L"Last" : s.value, L"trace");

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  ui.pickTab(L"SSTab_xtsz", 3);
  ASSERT_EQ(ui.row(L"ListView_ysql", 32)[0], L"淘宝旺旺登陆名");
  for (int r : {0, 23, 27, 29, 32}) ASSERT_TRUE(ui.clickCheckBox(L"ListView_ysql", r)) << r;
  ui.press(L"Command_ysql");
  EXPECT_EQ(ui.answerBox(L"提示"), L"清理XP隐藏不活动的图标痕迹后需重新启动系统才可生效");
  EXPECT_EQ(ui.answerBox(L"提示"), L"清理完成!\n\n以下项目未能清理：\nWinImage打开的文件：它的注册表项下还有子项");
  for (const auto& s : spots)
    EXPECT_EQ(regQuery(q(L"HKCU\\" + s.key) + (s.value.empty() ? L"" : L" /v " + s.value)).exitCode,
              s.gone ? kRegNotFound : 0u) << s.key << " " << s.value;
  for (const wchar_t* app : {L"ACD Systems\\ACDSee32", L"yahoo", L"Taobao\\WangWang"})
    EXPECT_EQ(regQuery(q(L"HKCU\\Software\\" + std::wstring(app))).exitCode, 0u) << app << " itself stays";
}

TEST(SettingsWindow, ShowsTheStoredSettingsAndAppliesWhatTheUserChanged) {
  const std::wstring main = L"Software\\Microsoft\\Internet Explorer\\Main", partner = L"http://www.baidu.com/s?tn=partner";
  const std::wstring search = L"SOFTWARE\\Microsoft\\Internet Explorer\\Search";
  const std::wstring search32 = L"SOFTWARE\\Wow6432Node\\Microsoft\\Internet Explorer\\Search";
  const std::wstring policies = L"Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
  const std::wstring services = L"SYSTEM\\CurrentControlSet\\Services\\", tcpip = services + L"Tcpip\\Parameters";
  const std::wstring mstcp = services + L"VXD\\MSTCP", keepAlive = services + L"NetBT\\Parameters";
  const std::wstring server = services + L"lanmanserver\\parameters";
  ASSERT_FALSE(RegistrySeed::exists(HKEY_CURRENT_USER, policies)) << "the prefix sets no policy of its own";
  RegistrySeed seed;
  for (const auto& [key, name, data] : {std::tuple{main, L"Window Title", L"演示浏览器"},
                                        {main, L"Start Page", L"http://www.google.com/ig?hl=zh-CN"},
                                        {main, L"Search Page", L"http://search.example.org/?q="}})
    seed.text(HKEY_CURRENT_USER, key, name, data);
  seed.text(HKEY_LOCAL_MACHINE, search, L"SearchAssistant", partner);
  seed.text(HKEY_LOCAL_MACHINE, search32, L"SearchAssistant", L"http://old32.example/");
  seed.dword(HKEY_CURRENT_USER, policies, L"ContentTab", 1);
  seed.dword(HKEY_CURRENT_USER, policies, L"History", 2);
  for (const wchar_t* c : {L"inifile", L"inffile", L"regfile", L"exefile", L"comfile", L"pifile", L"scrfile"})
    seed.keep(HKEY_CLASSES_ROOT, c + std::wstring(L"\\shell\\open\\command"), L"");
  seed.text(HKEY_CLASSES_ROOT, L"txtfile\\shell\\open\\command", L"", L"bogus.exe %1");
  seed.text(HKEY_CLASSES_ROOT, L"batfile\\shell\\open\\command", L"", L"seeded.exe %1");
  for (const auto& [key, name, data] :
       {std::tuple{tcpip + L"\\Interfaces", L"MTU", 1450}, {tcpip, L"TCPWindowSize", 8192}, {tcpip, L"DefaultTTL", 128},
        {tcpip, L"GlobalMaxTcpWindowSize", 8192}, {keepAlive, L"SessionKeepAlive", 20}, {server, L"AutoShareWks", 0},
        {std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Lsa"), L"restrictanonymous", 0}})
    seed.dword(HKEY_LOCAL_MACHINE, key, name, static_cast<DWORD>(data));
  for (const auto& [key, name] : {std::pair{search, L"CustomizeSearch"}, {search32, L"CustomizeSearch"},
                                  {mstcp, L"MaxDupAcks"}, {server, L"AutoShareServer"}})
    seed.keep(HKEY_LOCAL_MACHINE, key, name);
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, mstcp.c_str(), L"MaxDupAcks");
  for (const wchar_t* name : {L"MaxConnectionsPerServer", L"MaxConnectionsPer1_0Server"})
    seed.dword(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", name, 5);

  UiSession ui;
  ui.pickTab(L"TabStrip_cjmy", 2);
  // 浏览器设置: what is stored, as stored; the search assistant is the 64-bit browser's.
  EXPECT_EQ(ui.checkState(L"Check_iebt"), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(ui.text(L"Text_iebt"), L"演示浏览器");
  EXPECT_EQ(ui.text(L"Combo_iesy"), L"使用谷歌个性");
  EXPECT_EQ(ui.text(L"Text_iesszsdz"), partner);
  const std::wstring list = L"ListView_llqsz";
  const Rows rows = ui.rows(list);
  for (std::size_t r = 0; r < rows.size(); ++r)
    EXPECT_EQ(rows[r][1] + (ui.checked(list, static_cast<int>(r)) ? L" ticked" : L""),
              rows[r][0] == L"禁止使用 内容页" ? L"已屏蔽 ticked" : L"未屏蔽") << r;
  // The default home page picked, the title dropped, a folder typed, every
  // whole page blocked with the box and the proxy settings by hand.
  ASSERT_TRUE(ui.pickEntry(L"Combo_iesy", L"使用默认首页"));
  ui.press(L"Check_iebt");
  ui.type(L"Text_iexzml", L"D:\\新下载");
  ui.press(L"Check_llqsz");
  ASSERT_TRUE(ui.clickCheckBox(list, ui.rowWith(list, 0, L"禁止使用 ...代理")));
  ui.press(L"Command_llqsz");
  EXPECT_EQ(ui.answerBox(L"提示"), L"应用成功,重新启动浏览器后生效!");
  EXPECT_EQ(regQuery(q(L"HKCU\\" + main) + L" /v \"Window Title\"").exitCode, kRegNotFound);
  EXPECT_TRUE(lists(L"HKCU\\" + main, L"Start Page", L"REG_SZ", L"http://go.microsoft.com/fwlink/?LinkId=69157"));
  EXPECT_TRUE(lists(L"HKCU\\" + main, L"Search Page", L"REG_SZ", L"http://search.example.org/?q=")) << "no preset's: kept";
  EXPECT_TRUE(lists(L"HKCU\\Software\\Microsoft\\Internet Explorer", L"Download Directory", L"REG_SZ", L"D:\\新下载"));
  for (const wchar_t* view : {L"/reg:64", L"/reg:32"})
    for (const wchar_t* name : {L"SearchAssistant", L"CustomizeSearch"})
      EXPECT_TRUE(lists(L"HKLM\\" + search, name, L"REG_SZ", partner, view)) << view << name;
  for (const wchar_t* name : {L"GeneralTab", L"ContentTab", L"ProgramsTab", L"AdvancedTab", L"Proxy", L"History"})
    EXPECT_TRUE(lists(L"HKCU\\" + policies, name, L"REG_DWORD", name == std::wstring(L"History") ? L"0x0" : L"0x1")) << name;

  // 系统关联: what is stored (a greyed box for a value of no choice), then changed.
  ui.pickTab(L"SSTab_xtsz", 4);
  for (const auto& [box, state, combo, shown] :
       {std::tuple{L"Check_wlszsyzdcsdy", BST_CHECKED, L"Combo_wlszzdcsdy", L"1450 (当前)"},
        {L"Check_wlsztcpipfzsm", BST_CHECKED, L"Combo_wlsztcpipfzsm", L"128"},
        {L"Check_wlszyhtcpmaxdupacks", BST_UNCHECKED, L"Combo_yhtcpmaxdupacks", L""},
        {L"Check_wlszyhsessionkeepalive", BST_INDETERMINATE, L"Combo_yhsessionkeepalive", L"20"}}) {
    EXPECT_EQ(ui.checkState(box), static_cast<UINT>(state)) << box;
    EXPECT_EQ(ui.text(combo), shown) << combo;
  }
  ui.press(L"Check_wlszyhtcpmaxdupacks");
  ASSERT_TRUE(ui.pickEntry(L"Combo_yhtcpmaxdupacks", L"3"));
  ASSERT_TRUE(ui.pickEntry(L"Combo_wlsztcpipfzsm", L"64(推荐)"));
  for (const wchar_t* box : {L"Check_wlszjzzdgxworks", L"Check_wjgliniinf", L"Check_wjglreg"}) ui.press(box);
  ui.press(L"Command_xtglyy");
  EXPECT_EQ(ui.answerBox(L"提示"), L"应用成功");
  for (const auto& [key, name, data] : {std::tuple{tcpip + L"\\Interfaces", L"MTU", L"0x5aa"}, {tcpip, L"DefaultTTL", L"0x40"},
                                        {mstcp, L"MaxDupAcks", L"0x3"}, {keepAlive, L"SessionKeepAlive", L"0x14"}})
    EXPECT_TRUE(lists(L"HKLM\\" + key, name, L"REG_DWORD", data)) << name;  // 1450 and the greyed 20 stay
  EXPECT_EQ(regQuery(q(L"HKLM\\" + server) + L" /v AutoShareWks").exitCode, kRegNotFound);
  // A class's open command, as reg.exe lists a default value (named in the system's language).
  const auto opens = [&](const std::wstring& c, const std::wstring& command) {
    return regQuery(L"HKCR\\" + c + L"\\shell\\open\\command /ve").text.find(L"    REG_SZ    " + command + L"\r") !=
           std::wstring::npos;
  };
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  for (const wchar_t* c : {L"txtfile", L"inifile", L"inffile"}) EXPECT_TRUE(opens(c, windows + std::wstring(L"\\notepad.exe %1"))) << c;
  EXPECT_TRUE(opens(L"regfile", L"regedit.exe \"%1\""));
  EXPECT_TRUE(opens(L"batfile", L"seeded.exe %1")) << "not ticked, not touched";
}

}  // namespace
}  // namespace trova::test
