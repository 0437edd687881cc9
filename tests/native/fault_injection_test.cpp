// Every action that changes something, run with each of its registry, file and
// shell calls failing in turn (see fault_runner.h for what each run is held
// to). One table: the set-up of each action, what it clicks, and how its
// message names a target it could not change. Prints one figure per page.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "addons/addon_registry.h"
#include "fault_runner.h"
#include "formats/cisid_file.h"
#include "formats/reg_file.h"
#include "hosts/hosts_page.h"
#include "immunity/kill_bit.h"
#include "platform/text.h"
#include "privacy/traces.h"
#include "restrictions/policy_switches.h"
#include "settings/browser_basics.h"
#include "software/software_page.h"
#include "startup/startup_page.h"

namespace trova::test {
namespace {

constexpr Hive HKCU = Hive::CurrentUser, HKLM = Hive::LocalMachine, HKCR = Hive::ClassesRoot;
const RegRoot HKLM32{HKLM, RegView::Bits32}, HKCR32{HKCR, RegView::Bits32};
const std::wstring kAddons = L"ListView_cjgl", kStartup = L"ListView_qdxm", kSoftware = L"ListView_rjxz";
const std::wstring kCleaning = L"ListView_ysql", kPolicies = L"ListView_llqsz";
const std::wstring kTcpip = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::wstring kEtc = L"C:\\windows\\system32\\drivers\\etc";

// ---- how messages name what they could not change ----------------------------------------

// A message about one thing, which names it by these words whatever the place.
auto saying(std::wstring words) {
  return [words = std::move(words)](const Place&) { return words; };
}
// A message that names the key (and so the values in it and the keys below).
std::wstring keyName(const Place& p) { return p.path; }
// The undo's lists: a key, a value as "key\name", or a file.
std::wstring undoName(const Place& p) {
  return p.kind == Place::Kind::Value ? p.path + L"\\" + (p.name.empty() ? L"(默认)" : p.name) : p.path;
}

// ---- 插件管理 ----------------------------------------------------------------------------

void addonsSeen(Scene& s) {
  auto& r = s.reg();
  const auto addClass = [&](RegRoot root, const std::wstring& id, const std::wstring& name) {
    r.setText(root, L"CLSID\\" + id, L"", name);
    r.setText(root, L"CLSID\\" + id + L"\\InprocServer32", L"", L"C:\\Addons\\" + name + L".dll");
  };
  addClass(HKCR, L"{B0000000-0000-0000-0000-000000000001}", L"Helper");
  r.createKey(HKLM, std::wstring(addons::kHelperObjectsKey) + L"\\{B0000000-0000-0000-0000-000000000001}");
  addClass(HKCR32, L"{B0000000-0000-0000-0000-000000000032}", L"Helper32");
  r.createKey(HKLM32, std::wstring(addons::kHelperObjectsKey) + L"\\{B0000000-0000-0000-0000-000000000032}");
  addClass(HKCR, L"{E0000000-0000-0000-0000-000000000001}", L"Research");
  r.createKey(HKLM, std::wstring(addons::kExtensionsKey) + L"\\{E0000000-0000-0000-0000-000000000001}");
  r.setText(HKLM, addons::kToolbarKey, L"{70000000-0000-0000-0000-000000000001}", L"Search Bar");
  r.setText(HKCU, std::wstring(addons::kMenuExtKey) + L"\\导出到 Excel", L"", L"C:\\Office\\EXCEL.EXE/3000");
  r.setText(HKCU, std::wstring(addons::kMenuExtKey) + L"\\导出到 Excel", L"Contexts", L"1");
  r.setDword(HKCU, std::wstring(addons::kSettingsKey) + L"\\{E0000000-0000-0000-0000-000000000001}", L"Flags", 1);
  r.setText(HKCU, std::wstring(addons::kSettingsKey) + L"\\{E0000000-0000-0000-0000-000000000001}", L"Version", L"*");
  s.open(2);
}

auto addonRow(std::wstring text, int column = addons::Id) {
  return [text = std::move(text), column](Scene& s) {
    addonsSeen(s);
    s.select(kAddons, column, text);
  };
}

// ---- 插件免疫 ----------------------------------------------------------------------------

struct Control {
  int list;
  const wchar_t* name;
  const wchar_t* clsid;
};
const Control kAutoCad{2, L"AutoCAD 2002 AcPreview 控件", L"{F281A59C-7B65-11D3-8617-0010830243BD}"};
const Control kCitrix{2, L"Citrix ICA Client", L"{238F6F83-B8B4-11CF-8771-00A024541EE3}"};
const Control kJava{2, L"Java Plug-in 1.3.1_09", L"{CAFEEFAC-0013-0001-0009-ABCDEFFEDCBA}"};
const Control kLookup{1, L"I-Lookup", L"{19A447BA-9C2E-4864-93F5-A0645229771E}"};
const Control kUserA{3, L"广告条", L"{A0000000-0000-0000-0000-00000000000A}"};
const Control kUserB{3, L"弹窗", L"{A0000000-0000-0000-0000-00000000000B}"};

void setFlags(Scene& s, const Control& c, RegRoot root, std::uint32_t flags) {
  s.reg().setDword(root, killBitKeyPath(c.clsid), kCompatibilityFlags, flags);
}
std::wstring listOf(const Control& c) { return L"ListView_cjmy(" + std::to_wstring(c.list) + L")"; }

// Two user entries in cisid.dat; the first immune, with one more flag in the 32-bit view.
void userEntries(Scene& s) {
  s.files().files[MemoryFiles::key(L"C:\\Trova\\cisid.dat")] =
      *encodeUserRecords({{3, kUserA.name, kUserA.clsid}, {3, kUserB.name, kUserB.clsid}});
  setFlags(s, kUserA, HKLM, 0x400);
  setFlags(s, kUserA, HKLM32, 0x401);
}

// One more entry typed in, for a save to write.
void addUserEntry(Scene& s) {
  s.dialogs().inputAnswers = {L"新插件", L"{A0000000-0000-0000-0000-00000000000C}"};
  s.form.Click(L"Command_yhzdytj");
}

// Ticks and unticks that write every kind of kill-bit change: a key made, a
// bit cleared from a value that goes, from one that keeps other bits, and a
// view that lacked the bit the other had.
void immunityChoices(Scene& s) {
  setFlags(s, kAutoCad, HKLM, 0x400);
  setFlags(s, kAutoCad, HKLM32, 0x400);
  setFlags(s, kCitrix, HKLM, 0x401);
  setFlags(s, kLookup, HKLM, 0x401);
  setFlags(s, kLookup, HKLM32, 0x401);
  s.open(1);
  // The catalogue's lists cut to their first rows and these, so that every
  // call of the apply is tried.
  for (int c = 0; c < 3; ++c) {
    ListView& list = s.ui.listView(L"ListView_cjmy(" + std::to_wstring(c) + L")");
    for (int r = list.rowCount() - 1; r >= 3; --r) {
      const std::wstring clsid = list.cell(r, 1);
      if (clsid != kAutoCad.clsid && clsid != kCitrix.clsid && clsid != kJava.clsid && clsid != kLookup.clsid)
        list.removeRow(r);
    }
  }
  s.tick(listOf(kAutoCad), 1, kAutoCad.clsid, false);
  s.tick(listOf(kCitrix), 1, kCitrix.clsid);
  s.tick(listOf(kJava), 1, kJava.clsid);
  s.tick(listOf(kLookup), 1, kLookup.clsid, false);
}

std::wstring controlName(const Place& p) {
  for (const Control* c : {&kAutoCad, &kCitrix, &kJava, &kLookup})
    if (containsNoCase(p.path, c->clsid)) return c->name;
  return p.path;
}

// ---- 系统设置 ----------------------------------------------------------------------------

void startupEntries(Scene& s, bool userRunKey = true) {
  s.reg().setText(HKLM, startup::kRunKey, L"Vendor", L"C:\\Vendor\\agent.exe /tray");
  s.reg().setText(HKLM32, startup::kRunKey, L"Updater", L";C:\\Old\\update.exe");
  if (userRunKey)
    s.reg().setText(HKCU, startup::kRunKey, L"Chat", L"%ProgramFiles%\\Chat\\chat.exe", RegType::ExpandSz);
  s.open(3);
}

auto startupRow(std::wstring name) {
  return [name = std::move(name)](Scene& s) {
    startupEntries(s);
    s.select(kStartup, startup::Name, name);
  };
}

auto startupAdd(bool userRunKey) {
  return [userRunKey](Scene& s) {
    startupEntries(s, userRunKey);
    s.dialogs().fileAnswers = {L"C:\\Tools\\tool.exe"};
    s.dialogs().inputAnswers = {L"Tool"};
  };
}

void installedPhotoTool(Scene& s) {
  const std::wstring key = std::wstring(software::kUninstallKey) + L"\\PhotoTool";
  s.reg().setText(HKLM, key, L"DisplayName", L"Photo Tool");
  s.reg().setText(HKLM, key, L"DisplayVersion", L"2.1");
  s.reg().setText(HKLM, key, L"UninstallString", L"\"C:\\Program Files\\Photo\\uninst.exe\" /S");
  s.reg().setDword(HKLM, key, L"NoModify", 1);
  s.reg().setText(HKLM32, std::wstring(software::kUninstallKey) + L"\\Old", L"DisplayName", L"Old Tool");
  s.open(3);
  s.select(kSoftware, software::Name, L"Photo Tool");
}

// The traces named (every one when none is) ticked and left by their
// applications, except one not installed; besides them a value the clean
// must not touch.
auto traces(std::vector<std::wstring> ticked = {}) {
  return [ticked = std::move(ticked)](Scene& s) {
    const auto wanted = [&](const Trace& t) {
      return ticked.empty() || std::find(ticked.begin(), ticked.end(), t.label) != ticked.end();
    };
    for (const Trace& t : traceCatalogue()) {
      if (!wanted(t) || t.label == L"Foxit Reader的打开文件") continue;
      for (const TraceGroup& g : t.groups)
        for (const std::wstring& n : g.names) {
          if (t.names == TraceNames::Values) s.reg().setDword(HKCU, g.key, n, 7);
          else s.reg().setText(HKCU, g.key + L"\\" + n, L"MRU0", L"C:\\用户\\" + n);
        }
    }
    s.reg().setText(HKCU, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", L"ShellState", L"kept");
    s.open(3);
    ListView& list = s.ui.listView(kCleaning);
    for (int r = 0; r < list.rowCount(); ++r) list.setChecked(r, wanted(traceCatalogue()[static_cast<std::size_t>(r)]));
  };
}

// The label of the trace a place belongs to: its key, or its value.
std::wstring traceLabel(const Place& p) {
  static const auto owners = [] {
    std::vector<std::pair<std::wstring, std::wstring>> list;  // where, label
    for (const Trace& t : traceCatalogue())
      for (const TraceGroup& g : t.groups)
        for (const std::wstring& n : g.names)
          list.emplace_back(rootName(HKCU) + L"\\" + g.key + (t.names == TraceNames::Values ? L"\n" : L"\\") + n,
                            t.label);
    return list;
  }();
  const std::wstring where = p.kind == Place::Kind::Value ? p.path + L"\n" + p.name : p.path;
  for (const auto& [owner, label] : owners)
    if (equalsNoCase(where.substr(0, owner.size()), owner) &&
        (where.size() == owner.size() || where[owner.size()] == L'\\' || where[owner.size()] == L'\n'))
      return label;
  return p.path;
}

void browserSettingsChanged(Scene& s, bool policiesSet) {
  auto& r = s.reg();
  if (policiesSet) {
    r.setDword(HKCU, policy::kPolicyKey, L"GeneralTab", 1);
    r.setDword(HKCU, policy::kPolicyKey, L"Proxy", 0);
  }
  r.setText(HKCU, browser::kMainKey, L"Start Page", L"http://www.example.com/");
  r.setText(HKCU, browser::kMainKey, L"Search Page", browser::kDefaultSearch);
  r.setText(HKCU, browser::kBrowserKey, L"Download Directory", L"C:\\Downloads");
  for (RegRoot root : {RegRoot(HKLM), HKLM32}) {
    r.setText(root, browser::kSearchKey, L"SearchAssistant", browser::kDefaultAssistant);
    r.setText(root, browser::kSearchKey, L"CustomizeSearch", browser::kDefaultAssistant);
  }
  s.open(3);
  s.ui.checkBox(L"Check_iebt").setState(CheckState::Checked);
  s.form.Click(L"Check_iebt");
  s.ui.textBox(L"Text_iebt").setText(L"我的浏览器");
  s.ui.comboBox(L"Combo_iesy").select(0);
  s.form.Click(L"Combo_iesy");
  s.ui.textBox(L"Text_iexzml").setText(L"D:\\下载");
  s.ui.comboBox(L"Combo_iesszsdz").select(1);
  s.form.Click(L"Combo_iesszsdz");
  // Where policies are set, every one is lifted.
  s.tick(kPolicies, policy::Label, L"禁止使用 常规页", !policiesSet);
  s.tick(kPolicies, policy::Label, L"禁止使用 ...代理", !policiesSet);
}

constexpr const wchar_t* kPolicyKeyName = L"Internet选项限制";

std::wstring browserSetting(const Place& p) {
  static const std::map<std::wstring, std::wstring> basics = {
      {L"Window Title", L"IE标题"}, {L"Start Page", L"IE首页"}, {L"Search Page", L"IE搜索引擎"},
      {L"Download Directory", L"IE下载目录"}, {L"SearchAssistant", L"IE搜索助手/定制"},
      {L"CustomizeSearch", L"IE搜索助手/定制"}};
  if (auto it = basics.find(p.name); it != basics.end()) {
    if (it->second != L"IE搜索助手/定制") return it->second;
    return it->second + (containsNoCase(p.path, L"Wow6432Node") ? L"（32 位）" : L"（64 位）");
  }
  // A switch is named by its row, or all of them by their key.
  for (const PolicySwitch& sw : kPolicySwitches)
    if (p.kind == Place::Kind::Value && p.name == sw.valueName) return sw.label + std::wstring(L"|") + kPolicyKeyName;
  return kPolicyKeyName;
}

void associationsChanged(Scene& s) {
  auto& r = s.reg();
  r.setText(HKCR, L"exefile\\shell\\open\\command", L"", L"virus.exe \"%1\" %*");
  r.setText(HKCR, L"comfile\\shell\\open\\command", L"", L"\"%1\" %*");
  r.setDword(HKLM, kTcpip, L"DefaultTTL", 128);
  r.setDword(HKLM, L"SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters", L"AutoShareServer", 0);
  r.setDword(HKLM, L"SYSTEM\\CurrentControlSet\\Control\\Lsa", L"LimitBlankPasswordUse", 1);
  s.open(3);
  for (const wchar_t* box : {L"Check_wjglexe", L"Check_wjglreg", L"Check_wlszxznmyhlj"}) {
    s.ui.checkBox(box).setState(CheckState::Checked);
    s.form.Click(box);
  }
  s.ui.checkBox(L"Check_wlszjzzdgxserver").setState(CheckState::Unchecked);
  s.form.Click(L"Check_wlszjzzdgxserver");
  s.ui.comboBox(L"Combo_wlsztcpipfzsm").select(2);  // 64
}

// ---- 网站免疫 ----------------------------------------------------------------------------

// The hosts file where Windows keeps it, or in a folder DataBasePath moved it to.
auto hostsFile(std::wstring folder, int saved = 0, bool added = false) {
  return [folder = std::move(folder), saved, added](Scene& s) {
    s.fp.inner.shell.variables[L"SYSTEMROOT"] = L"C:\\windows";
    const bool standard = folder == kEtc;
    s.reg().setText(HKLM, kTcpip, L"DataBasePath", standard ? L"%SystemRoot%\\System32\\drivers\\etc" : folder,
                    RegType::ExpandSz);
    s.files().files[MemoryFiles::key(joinPath(folder, L"hosts"))] =
        "# hosts\r\n127.0.0.1       localhost\r\n0.0.0.0 ads.example.com\r\n";
    if (saved) s.files().files[MemoryFiles::key(joinPath(folder, L"hosts.bak"))] = "# the first\r\n";
    s.open(4);
    if (added) {
      s.dialogs().inputAnswers = {L"www.example.org", L"127.0.0.255"};
      s.form.Click(L"Command_wzmytj");
    }
    s.ui.listBox(L"List_wzmy").select(0);
  };
}

// ---- 工具 -------------------------------------------------------------------------------

const std::wstring kUnread = L"无法读取这条更改记录";

// Four traces and one application not installed: a clean small enough to undo at every call.
const auto fiveTraces = traces({L"ACDSee打开的路径", L"EmEditor的打开文件及文件夹", L"WinImage打开的文件",
                                L"XP隐藏不活动的图标痕迹", L"Foxit Reader的打开文件"});

// An action done, then the 工具 tab with its change set selected.
auto undoOf(std::function<void(Scene&)> setUp, std::wstring control) {
  return [setUp = std::move(setUp), control = std::move(control)](Scene& s) {
    setUp(s);
    s.form.Click(control);
    s.pickTab(5);
    s.ui.listView(L"ListView_gjls").selectRow(0);
  };
}

const std::vector<std::pair<std::wstring, std::vector<Action>>>& actionTable() {
  static const std::vector<std::pair<std::wstring, std::vector<Action>>> table = {
      {L"插件免疫",
       {{L"应 用", L"Command_cjmy", immunityChoices, controlName},
        {L"导出", L"Command_cjmydc",
         [](Scene& s) {
           s.open(1);
           s.dialogs().fileAnswers = {L"C:\\Trova\\免疫.reg"};
         },
         saying(L"导出失败"), L"导出失败", false},
        {L"添加 (reads the kill-bit)", L"Command_yhzdytj",
         [](Scene& s) {
           setFlags(s, kUserB, HKLM, 0x400);
           setFlags(s, kUserB, HKLM32, 0x400);
           s.open(1);
           s.dialogs().inputAnswers = {kUserB.name, kUserB.clsid};
         },
         keyName, {}, true, false},
        {L"删除", L"Command_yhzdysc",
         [](Scene& s) {
           userEntries(s);
           s.open(1);
           s.ui.listView(L"ListView_cjmy(3)").selectRow(0);
         },
         saying(L"免疫设置未能删除")},
        {L"保存", L"Command_yhzdybc",
         [](Scene& s) {
           userEntries(s);
           s.open(1);
           addUserEntry(s);
         },
         saying(L"保存失败")},
        {L"保存 (cisid.dat unread at start)", L"Command_yhzdybc",
         [](Scene& s) {
           userEntries(s);
           s.files().unreadable.insert(MemoryFiles::key(L"C:\\Trova\\cisid.dat"));
           s.open(1);
           s.files().unreadable.clear();
           addUserEntry(s);
         },
         saying(L"保存失败")}}},
      {L"插件管理",
       {{L"禁用", L"Command_cjgljy", addonRow(L"{B0000000-0000-0000-0000-000000000001}"), saying(L"禁用失败"),
         L"禁用失败"},
        {L"启用", L"Command_cjglqy", addonRow(L"{E0000000-0000-0000-0000-000000000001}"), saying(L"启用失败"),
         L"启用失败"},
        {L"删除 (helper object, 32-bit)", L"Command_cjglsc", addonRow(L"{B0000000-0000-0000-0000-000000000032}"),
         saying(L"删除失败"), L"删除失败"},
        {L"删除 (toolbar)", L"Command_cjglsc", addonRow(L"{70000000-0000-0000-0000-000000000001}"),
         saying(L"删除失败"), L"删除失败"},
        {L"删除 (context menu)", L"Command_cjglsc", addonRow(L"导出到 Excel", addons::Name), saying(L"删除失败"),
         L"删除失败"},
        {L"导出", L"Command_cjgldc",
         [](Scene& s) {
           addonsSeen(s);
           s.dialogs().fileAnswers = {L"C:\\Trova\\插件.txt"};
         },
         saying(L"导出失败"), L"导出失败", false}}},
      {L"浏览器设置",
       {{L"应用 (no policy yet)", L"Command_llqsz", [](Scene& s) { browserSettingsChanged(s, false); },
         browserSetting},
        {L"应用 (policies set)", L"Command_llqsz", [](Scene& s) { browserSettingsChanged(s, true); },
         browserSetting}}},
      {L"软件卸载",
       {{L"仅仅删除信息", L"Command_rjxzsc", installedPhotoTool, saying(L"“Photo Tool”")},
        {L"卸载", L"Command_rjxzxz", installedPhotoTool, saying(L"“Photo Tool”"), {}, false}}},
      {L"启动项目",
       {{L"禁用", L"Command_qdxmjy", startupRow(L"Chat"), saying(L"“Chat”")},
        {L"启用 (32-bit)", L"Command_qdxmqy", startupRow(L"Updater"), saying(L"“Updater”")},
        {L"删除", L"Command_qdxmsc", startupRow(L"Vendor"), saying(L"“Vendor”")},
        {L"添加", L"Command_qdxmtj", startupAdd(true), saying(L"“Tool”")},
        {L"添加 (no Run key yet)", L"Command_qdxmtj", startupAdd(false), saying(L"“Tool”")}}},
      {L"系统清理", {{L"清理 (every trace)", L"Command_ysql", traces(), traceLabel}}},
      {L"系统关联", {{L"应用", L"Command_xtglyy", associationsChanged, keyName}}},
      {L"网站免疫",
       {{L"添加", L"Command_wzmytj",
         [](Scene& s) {
           hostsFile(kEtc)(s);
           s.dialogs().inputAnswers = {L"www.example.org", L"127.0.0.255"};
         },
         keyName, {}, true, false},
        {L"删除", L"Command_wzmysc", hostsFile(kEtc), keyName, {}, true, false},
        {L"保存应用 (first save)", L"Command_wzmybc", hostsFile(kEtc, 0, true), saying(L"没有改动")},
        {L"保存应用 (saved before)", L"Command_wzmybc", hostsFile(kEtc, 1, true), saying(L"没有改动")},
        {L"保存应用 (DataBasePath elsewhere)", L"Command_wzmybc", hostsFile(L"D:\\etc", 0, true),
         saying(L"没有改动")}}},
      {L"工具",
       {{L"撤销 (系统清理)", L"Command_gjcx", undoOf(fiveTraces, L"Command_ysql"), undoName, kUnread},
        {L"撤销 (系统关联 应用)", L"Command_gjcx", undoOf(associationsChanged, L"Command_xtglyy"), undoName, kUnread},
        {L"撤销 (插件免疫 应 用)", L"Command_gjcx", undoOf(immunityChoices, L"Command_cjmy"), undoName, kUnread},
        {L"撤销 (插件管理 删除)", L"Command_gjcx",
         undoOf(addonRow(L"{B0000000-0000-0000-0000-000000000032}"), L"Command_cjglsc"), undoName, kUnread},
        {L"撤销 (网站免疫 保存应用)", L"Command_gjcx", undoOf(hostsFile(kEtc, 0, true), L"Command_wzmybc"),
         undoName, kUnread}}},
  };
  return table;
}

struct Totals {
  Figure all;
  ~Totals() {
    std::printf("fault injection, every page: %d actions x %ld injection points, %ld false successes, "
                "%ld states not accounted for\n",
                all.actions, all.points, all.falseSuccesses, all.unaccounted);
  }
};
Totals totals;

class FaultInjection : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FaultInjection, EveryFailureIsReportedAndLosesNothing) {
  const auto& [page, actions] = actionTable()[GetParam()];
  std::printf("%s\n", toUtf8(page).c_str());
  Figure figure;
  for (const Action& action : actions) runAction(action, figure);
  std::printf("%s: %d actions x %ld injection points, %ld false successes, %ld states not accounted for\n",
              toUtf8(page).c_str(), figure.actions, figure.points, figure.falseSuccesses, figure.unaccounted);
  for (std::size_t i = 0; i < figure.findings.size(); ++i) {
    if (i < 40 || std::getenv("TROVA_FAULTS_ALL")) std::printf("    %s\n", toUtf8(figure.findings[i]).c_str());
  }
  EXPECT_EQ(figure.falseSuccesses, 0);
  EXPECT_EQ(figure.unaccounted, 0);
  totals.all.actions += figure.actions;
  totals.all.points += figure.points;
  totals.all.falseSuccesses += figure.falseSuccesses;
  totals.all.unaccounted += figure.unaccounted;
}

INSTANTIATE_TEST_SUITE_P(EveryPage, FaultInjection, ::testing::Range<std::size_t>(0, actionTable().size()));

}  // namespace
}  // namespace trova::test
