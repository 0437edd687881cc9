// The pages on the in-memory platform: hosts, privacy cleaning, settings, and the change history.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "formats/history_file.h"
#include "hosts/hosts_page.h"
#include "platform/codepage.h"
#include "platform/journal.h"
#include "privacy/privacy_page.h"
#include "restrictions/policy_switches.h"
#include "settings/browser_basics.h"
#include "settings/network.h"
#include "support/form_fixture.h"
#include "tools/undo.h"

namespace trova::test {
namespace {

struct PageTest : ::testing::Test, FormFixture {
  PageTest() { load(); }
  // Clicks a control; gives back the messages it showed, plain ones marked "(!) ".
  std::wstring click(const std::wstring& control) {
    mp.dialogs.messages.clear();
    form.Click(control);
    std::wstring said;
    for (const auto& m : mp.dialogs.messages)
      said += (said.empty() ? L"" : L" | ") + std::wstring(m.style == MessageStyle::Plain ? L"(!) " : L"") + m.text;
    return said;
  }
  // The places the change sets made since the last call changed, in order.
  std::vector<std::wstring> changes() {
    const std::wstring folder = MemoryFiles::key(form.journal().folder() + L"\\");
    std::vector<std::wstring> out;
    for (const auto& [path, bytes] : mp.files.files)  // by name, so by time
      if (const auto set = path.starts_with(folder) && seen.insert(path).second ? readHistory(bytes) : std::nullopt)
        for (const auto& p : set->places) out.push_back(describePlace(p));
    return out;
  }
  std::set<std::wstring> seen;  // the change sets already looked at
};

const std::string kHeader =
    "# Copyright (c) 1993-1999 Microsoft Corp.\r\n#\r\n"
    "# This is a sample HOSTS file used by Microsoft TCP/IP for Windows.\r\n#\r\n"
    "# This file contains the mappings of IP addresses to host names. Each\r\n"
    "# entry should be kept on an individual line. The IP address should\r\n"
    "# be placed in the first column followed by the corresponding host name.\r\n"
    "# The IP address and the host name should be separated by at least one\r\n# space.\r\n#\r\n"
    "# Additionally, comments (such as these) may be inserted on individual\r\n"
    "# lines or following the machine name denoted by a '#' symbol.\r\n#\r\n# For example:\r\n#\r\n"
    "#      102.54.94.97     rhino.acme.com          # source server\r\n"
    "#       38.25.63.10     x.acme.com              # x client host\r\n\r\n";
const std::wstring kEtc = L"C:\\windows\\system32\\drivers\\etc\\";
using HostsPage = PageTest;

TEST_F(HostsPage, EntriesAreKeptByteForByteAddedDeletedAndSavedUnderTheHeader) {
  // Entries: lines neither empty nor starting with "#", any bytes, after a BOM, ending in CR LF, LF or nothing.
  const std::string kept = "127.0.0.1 \xE4\xBE\x8B\xE5\xAD\x90.com\r\n  # spaced\r\n\t1.2.3.4\ty  # x\r\n\r\r\n"
                           "0.0.0.0 \xFF\x80\xFE\r\n" + std::string("a\0b", 3);
  const std::string original = "\xEF\xBB\xBF# mine\r\n1.1.1.1 gone\n\r\n#off\r\n" + kept;
  auto& hosts = mp.files.files[MemoryFiles::key(kEtc + L"hosts")] = original;
  pickTab(4);
  ListBox& list = ui.listBox(L"List_wzmy");
  ASSERT_EQ(list.count(), 7);
  click(L"Command_wzmysc");  // nothing selected, nothing deleted
  list.select(0);
  click(L"Command_wzmysc");
  const auto add = [&](std::optional<std::wstring> site, std::optional<std::wstring> address) {
    mp.dialogs.inputAnswers = {site, address};
    return click(L"Command_wzmytj");
  };
  add(L"例子.com", L"127.0.0.255");
  add(L"track.example", std::nullopt);  // a cancelled address is an empty one
  EXPECT_EQ(mp.dialogs.prompts[1].initial, L"127.0.0.255");
  for (auto [site, address] : {std::pair{L"", L"1"}, {L"x", L"#1"}, {L"snow\u2603", L"1"}, {L"a\r\nb", L"1"}})
    EXPECT_EQ(add(site, address).rfind(L"(!) 添加失败", 0), 0u) << site;
  EXPECT_EQ(mp.dialogs.prompts.size(), 11u) << "an empty site asks for no address";
  EXPECT_EQ(hosts, original) << "only a save writes";

  EXPECT_EQ(click(L"Command_wzmybc"), L"保存应用成功!\r\n原hosts文件已备份为 " + kEtc + L"hosts.bak");
  const std::string saved = kHeader + kept + "\r\n127.0.0.255      \xC0\xFD\xD7\xD3.com\r\n      track.example\r\n";
  EXPECT_EQ(hosts, saved) << "in the ANSI code page";
  add(L"unsaved", L"0.0.0.0");
  pickTab(4);  // reads the saved file again, without what was not saved
  EXPECT_EQ(click(L"Command_wzmybc"), L"保存应用成功!");
  EXPECT_EQ(hosts, saved);
  EXPECT_EQ(mp.files.files[MemoryFiles::key(kEtc + L"hosts.bak")], original) << "the backup is made once";
}

// The file saved is the one Windows reads; one that could not be read is not saved over.
TEST_F(HostsPage, TheFileSavedIsTheOneWindowsReads) {
  const std::wstring named = L"D:\\net\\etc\\hosts", none;
  const struct {
    std::optional<RegType> type;
    std::vector<std::wstring> there;
    std::wstring used;
  } cases[] = {{RegType::ExpandSz, {kEtc + L"hosts"}, named}, {std::nullopt, {kEtc + L"hosts", named}, kEtc + L"hosts"},
               {std::nullopt, {}, L"C:\\windows\\hosts"}, {RegType::Sz, {named}, none}};
  for (const auto& c : cases) {
    FormFixture g;
    auto& files = g.mp.files.files;
    g.mp.shell.variables[L"NETROOT"] = L"D:\\net";
    if (c.type) g.reg().setText(Hive::LocalMachine, hosts::kTcpipParameters, hosts::kDataBasePath, L"%NetRoot%\\etc", *c.type);
    for (const auto& path : c.there) files[MemoryFiles::key(path)] = "1.1.1.1 " + toAnsi(path) + "\r\n";
    if (c.used.empty()) g.mp.files.unreadable.insert(MemoryFiles::key(named));
    auto expected = files;
    const std::wstring used = MemoryFiles::key(c.used);
    if (expected.count(used)) expected[MemoryFiles::key(c.used + L".bak")] = expected[used];
    if (!c.used.empty()) expected[used] = kHeader + expected[used];
    g.pickTab(4);
    g.form.Click(L"Command_wzmybc");
    std::erase_if(files, [&](const auto& f) { return f.first.starts_with(MemoryFiles::key(g.form.journal().folder())); });
    EXPECT_EQ(files, expected) << c.used;
  }
}

const std::wstring kTray = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\TrayNotify";
const std::wstring kNotice = L"清理XP隐藏不活动的图标痕迹后需重新启动系统才可生效", kDone = L"清理完成!";

struct Privacy : PageTest {
  // A spot is a key, or "key|value".
  bool there(const std::wstring& s, bool make = false) {
    const auto bar = s.find(L'|');
    const std::wstring key = s.substr(0, bar), name = bar == s.npos ? L"" : s.substr(bar + 1);
    if (make) bar == s.npos ? reg().createKey(Hive::CurrentUser, key) : reg().setDword(Hive::CurrentUser, key, name, 1);
    return bar == s.npos ? reg().exists(Hive::CurrentUser, key) : reg().value(Hive::CurrentUser, key, name).has_value();
  }
  std::wstring clean(const std::vector<int>& rows) {  // numbered from 1
    for (int r = 0; r < 34; ++r) ui.listView(L"ListView_ysql").setChecked(r, std::count(rows.begin(), rows.end(), r + 1));
    return click(L"Command_ysql");
  }
};

// Rows top to bottom, groups and names in list order; keys opened, never made;
// a name not there passed over. The clean is one change set, and undone whole.
TEST_F(Privacy, TickedTracesAreRemovedInOrderAndCanBeUndone) {
  const std::wstring adobe = L"Software\\Adobe\\Acrobat Reader\\", em = L"Software\\EmSoft\\EmEditor v3\\";
  const std::vector<std::wstring> spots = {adobe + L"6.0\\AVGeneral\\cRecentFiles", adobe + L"7.0\\AVGeneral\\cRecentFiles",
                                           em + L"Recent File List", em + L"Recent Folder List", kTray + L"|IconStreams",
                                           kTray + L"|PastIconsStream", L"Software\\Taobao\\WangWang\\淘宝旺旺"};
  std::vector<std::wstring> removed;
  for (const auto& spot : spots) {
    there(spot, true);
    removed.push_back(L"HKEY_CURRENT_USER\\" + spot);
    std::replace(removed.back().begin(), removed.back().end(), L'|', L'\\');
  }
  EXPECT_EQ(clean({33, 11, 2, 8, 28}), kNotice + L" | " + kDone);
  EXPECT_FALSE(there(adobe + L"5.0") || there(L"Software\\Headlight"));
  pickTab(5);
  ListView& sets = ui.listView(L"ListView_gjls");
  ASSERT_EQ(sets.rowCount(), 1);
  EXPECT_EQ(row(sets, 0), (std::vector<std::wstring>{sets.cell(0, 0), L"系统清理", L"清理", L"7"}));
  EXPECT_EQ(changes(), removed);
  sets.selectRow(0);
  EXPECT_EQ(click(L"Command_gjcx").rfind(L"已撤销“系统清理 · 清理”", 0), 0u);
  for (const auto& spot : spots) EXPECT_TRUE(there(spot)) << spot;
}

// What a trace leaves, and the closing message: what stayed and why.
TEST_F(Privacy, EachTraceTakesOnlyItsNamesAndTheMessageNamesWhatStayed) {
  const std::wstring zip = L"Software\\Nico Mak Computing\\WinZip\\";
  const std::wstring failed = L"(!) " + kDone + L"\n\n" + privacy::kNotCleaned + L"\n";
  const struct {
    std::vector<int> rows;
    std::vector<std::wstring> gone, kept;
    std::wstring said;
  } cases[] = {
      {{28}, {}, {}, kDone},  // no tray key, no notice
      {{24}, {L"Software\\WinImage|LastFile", L"Software\\WinImage"}, {L"Software\\WinImageTools"}, kDone},
      {{26}, {zip + L"filemenu"}, {zip + L"extract\\Last", zip + L"select\\Last", zip + L"|x"},
       failed + L"WinZIP的打开文件/解压路径/选择文件：" + describeFailure(regerr::KeyHasChildren)},
  };
  for (const auto& c : cases) {
    for (const auto* spots : {&c.gone, &c.kept})
      for (const auto& s : *spots) there(s, true);
    EXPECT_EQ(clean(c.rows), c.said);
    for (const auto& s : c.gone) EXPECT_FALSE(there(s)) << s;
    for (const auto& s : c.kept) EXPECT_TRUE(there(s)) << s;
  }
}

struct Settings : PageTest {
  ListView& rows = ui.listView(L"ListView_llqsz");
  std::wstring states() {  // the first character of each row's state, "+" after a ticked one
    std::wstring out;
    for (int r = 0; r < rows.rowCount(); ++r) out += rows.cell(r, policy::State).substr(0, 1) + (rows.checked(r) ? L"+" : L"");
    return out;
  }
  void tick(const std::wstring& box, bool on) {
    ui.checkBox(box).setState(on ? CheckState::Checked : CheckState::Unchecked);
    form.Click(box);
  }
};

TEST_F(Settings, BrowserPresetsAndRestrictionsShowTheRegistryAndAnApplyWritesThem) {
  pickTab(3);
  rows.setChecked(0, true);
  EXPECT_NE(click(L"Command_llqsz").find(L"Internet选项限制：不支持的浏览器版本"), std::wstring::npos) << "no browser";
  EXPECT_EQ(states(), L"不+" + std::wstring(25, L'不'));
  for (RegView view : {RegView::Bits64, RegView::Bits32}) reg().createKey({Hive::LocalMachine, view}, browser::kBrowserKey);
  reg().setText(Hive::CurrentUser, browser::kMainKey, L"Start Page", L"http://www.google.com.hk/");  // only the site counts
  reg().setText(Hive::CurrentUser, browser::kMainKey, L"Search Page", L"HTTP://www.baidu.com/s");   // and letter case
  pickTab(3);
  EXPECT_EQ(ui.comboBox(L"Combo_iesy").selected() * 10 + ui.comboBox(L"Combo_iessyq").selected(), 20 + kOwnAddressEntry);
  ui.textBox(L"Text_iesszsdz").setText(L"http://a/");
  EXPECT_EQ(click(L"Command_llqsz"), L"应用成功,重新启动浏览器后生效!") << "a title not there is no failure to delete";
  EXPECT_FALSE(reg().exists(Hive::CurrentUser, policy::kPolicyKey)) << "a key is made only to block";
  for (RegView view : {RegView::Bits64, RegView::Bits32})
    EXPECT_EQ(reg().value({Hive::LocalMachine, view}, browser::kSearchKey, L"CustomizeSearch"), RegValue::text(L"http://a/"));
  tick(L"Check_iebt", true);
  ui.textBox(L"Text_iebt").setText(L"Trova");
  click(L"Command_llqsz");
  EXPECT_EQ(reg().value(Hive::CurrentUser, browser::kMainKey, L"Window Title"), RegValue::text(L"Trova"));

  reg().setDword(Hive::CurrentUser, policy::kPolicyKey, L"ContentTab", 1);  // only the number 1 blocks
  reg().setDword(Hive::CurrentUser, policy::kPolicyKey, L"History", 2);
  reg().setText(Hive::CurrentUser, policy::kPolicyKey, L"Proxy", L"1");
  pickTab(3);
  EXPECT_EQ(states(), L"未未未未未未未未未已+未未未未未未未未未未未未未未未未");
  rows.setChecked(18, true);
  tick(L"Check_llqsz", true);  // the whole pages, ticked and unticked together
  EXPECT_EQ(states(), L"未+未未未未未未未未+已+未未未未未+未+未未未+未+未未未未+未未");
  tick(L"Check_llqsz", false);
  click(L"Command_llqsz");
  EXPECT_EQ(states(), L"未未未未未未未未未未未未未未未未未未已+未未未未未未未");
  for (auto [name, value] : {std::pair{L"Proxy", 1u}, {L"ContentTab", 0u}, {L"History", 0u}})
    EXPECT_EQ(reg().value(Hive::CurrentUser, policy::kPolicyKey, name), RegValue::dword(value)) << name;
}

// A load shows what is stored (an apply then changes nothing); a tick writes the usual entry's
// number, an untick removes it but never the keep-alive; a repair writes only the open command.
TEST_F(Settings, NetworkSwitchesAndRepairsWriteWhatIsTicked) {
  const std::wstring services = L"SYSTEM\\CurrentControlSet\\Services\\";
  reg().setDword(Hive::LocalMachine, services + L"Tcpip\\Parameters\\Interfaces", L"MTU", 1450);
  reg().setText(Hive::LocalMachine, services + L"Tcpip\\Parameters", L"DefaultTTL", L"64");  // no number to show
  reg().setDword(Hive::LocalMachine, services + L"NetBT\\Parameters", L"SessionKeepAlive", 30);
  reg().setDword(Hive::LocalMachine, L"SYSTEM\\CurrentControlSet\\Control\\Lsa", L"restrictanonymous", 0);
  reg().setText(Hive::ClassesRoot, L"exefile\\shell\\open\\command", L"", L"evil.exe \"%1\"");
  mp.folders.windows = L"D:\\";
  pickTab(3);
  std::wstring shown;
  for (const auto& s : network::switches()) {
    const int selected = s.combo ? ui.comboBox(s.combo->name).selected() : -1;
    shown += std::to_wstring(int(ui.checkBox(s.checkBox).state())) +
             (selected < 0 ? L" " : L"(" + ui.comboBox(s.combo->name).item(selected) + L") ");
  }
  EXPECT_EQ(shown, L"1(1450 (当前)) 0 0 0 2(30) 0 0 0 0 ");
  EXPECT_EQ(click(L"Command_xtglyy") + std::to_wstring(changes().size()), L"应用成功0");

  for (const auto& s : network::switches()) tick(s.checkBox, true);
  ui.comboBox(L"Combo_wlszjstcp").select(18);
  for (const wchar_t* b : {L"Check_wjglexe", L"Check_wjgliniinf", L"Check_wjglreg", L"Check_wjglbat"}) tick(b, true);
  EXPECT_EQ(click(L"Command_xtglyy"), L"应用成功");
  std::wstring written;
  for (const auto& s : network::switches())
    for (const auto& v : s.values) written += std::to_wstring(reg().value(s.hive, s.key, v.name).value().asDword().value()) + L" ";
  EXPECT_EQ(written, L"1500 372300 372300 64 1 10 2 0 0 5 6 ");
  std::vector<std::wstring> places = changes(), expected;  // the keys made and the default values, nothing else
  std::erase_if(places, [](const std::wstring& p) { return !p.starts_with(L"HKEY_CLASSES_ROOT\\"); });
  for (std::wstring c : {L"exe", L"com", L"txt", L"ini", L"inf", L"reg", L"bat", L"pi", L"scr"}) {
    const bool text = std::wstring(L"txt ini inf").find(c) != std::wstring::npos;
    c += L"file";
    EXPECT_EQ(reg().value(Hive::ClassesRoot, c + L"\\shell\\open\\command", L"").value().asText(),
              c == L"regfile" ? L"regedit.exe \"%1\"" : text ? L"D:\\notepad.exe %1" : L"\"%1\" %*");
    for (std::wstring made : {L"", L"\\shell", L"\\shell\\open", L"\\shell\\open\\command", L"\\shell\\open\\command\\(默认)"})
      if (c != L"exefile" || made.ends_with(L")")) expected.push_back(L"HKEY_CLASSES_ROOT\\" + c + made);
  }
  EXPECT_EQ(places, expected);

  for (const auto& s : network::switches()) tick(s.checkBox, false);
  EXPECT_EQ(click(L"Command_xtglyy"), L"应用成功");
  for (const auto& s : network::switches())
    EXPECT_EQ(reg().value(s.hive, s.key, s.values[0].name).has_value(), s.threeState) << s.checkBox;
}

const RegRoot kUser = Hive::CurrentUser, kMachine = Hive::LocalMachine, kMachine32{Hive::LocalMachine, RegView::Bits32};

struct ChangeHistory : ::testing::Test {  // a journal over the in-memory registry, as the window runs one
  MemoryPlatform mp;
  int made = 0;  // the clock moves on with every set
  ChangeJournal journal{mp.files, L"C:\\h", [this] { return L"2026-12-07 " + std::to_wstring(100000 + made++); }};
  JournalingRegistry registry{mp.registry, journal};
  Platform platform{registry, mp.files, mp.shell, mp.dialogs, mp.folders};
  void action(const std::function<void()>& change) { journal.begin(L"页面 · 按钮"); change(); journal.end(); }
  KeyPtr key(RegRoot root, const std::wstring& path) { KeyPtr k; registry.create(root, path, k); return k; }
  std::string set(std::size_t n) { return std::next(mp.files.files.begin(), n)->second; }  // the folder holds only sets
  UndoReport undo(std::size_t n, UndoReport r = {}) {
    action([&, record = readHistory(set(n)).value()] { r = undoChangeSet(platform, L"C:\\h", record); });
    return r;
  }
};

TEST_F(ChangeHistory, ASetIsARegistryFileOfTheStatesBeforeAndItsUndoPutsThemBack) {
  mp.registry.createKey(kMachine, L"SOFTWARE\\Wow6432Node");
  mp.registry.setText(kMachine, L"SOFTWARE\\A", L"s", L"old");
  mp.registry.setText(kUser, L"Software\\Gone", L"a", L"1");
  action([&] {
    key(kMachine, L"SOFTWARE\\A")->setValue(L"s", RegValue::dword(1));
    key(kMachine, L"SOFTWARE\\A")->setValue(L"n", RegValue::text(L"new"));
    key(kMachine32, L"SOFTWARE\\New\\Deeper")->setValue(L"v", RegValue::dword(3));
    key(kUser, L"Software")->deleteSubKey(L"Gone");
  });
  const std::wstring a = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\A", n = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\New";
  EXPECT_EQ(fromUtf16Text(set(0).substr(2)),
            L"Windows Registry Editor Version 5.00\r\n\r\n; Trova 更改记录\r\n; 操作: 页面 · 按钮\r\n; 时间: 2026-12-07 100000\r\n\r\n"
            L"[" + a + L"]\r\n\"s\"=\"old\"\r\n; 之后 [" + a + L"] \"s\"=dword:00000001\r\n\r\n"
            L"[" + a + L"]\r\n\"n\"=-\r\n; 之后 [" + a + L"] \"n\"=\"new\"\r\n\r\n"
            L"[-" + n + L"]\r\n; 之后 [" + n + L"]\r\n\r\n[-" + n + L"\\Deeper]\r\n; 之后 [" + n + L"\\Deeper]\r\n\r\n"
            L"; 之后 [" + n + L"\\Deeper] \"v\"=dword:00000003\r\n"
            L"[HKEY_CURRENT_USER\\Software\\Gone]\r\n\"a\"=\"1\"\r\n; 之后 [-HKEY_CURRENT_USER\\Software\\Gone]\r\n\r\n");
  EXPECT_TRUE(undo(0).changedSince.empty());
  EXPECT_EQ(mp.registry.value(kMachine, L"SOFTWARE\\A", L"s"), RegValue::text(L"old"));
  EXPECT_FALSE(mp.registry.value(kMachine, L"SOFTWARE\\A", L"n") || mp.registry.exists(kMachine32, L"SOFTWARE\\New"));
  EXPECT_EQ(mp.registry.value(kUser, L"Software\\Gone", L"a"), RegValue::text(L"1"));
}

TEST_F(ChangeHistory, OnlyRecordedChangesAreMadeAndAnUndoLeavesLaterOnes) {
  // A name with a line break cannot be written in the record: that change is refused.
  mp.registry.setDword(kUser, L"Software\\A", L"v", 1);
  mp.registry.setDword(kUser, L"Software\\A", L"line\nbreak", 2);
  mp.registry.createKey(kUser, L"Software\\A\\key\rname");
  std::vector<RegStatus> refused;
  action([&] {
    KeyPtr a = key(kUser, L"Software\\A"), k;
    refused = {a->deleteValue(L"line\nbreak"), a->deleteSubKey(L"key\rname"), registry.create(kUser, L"Software\\new\nkey", k)};
    a->setValue(L"v", RegValue::dword(2));
  });
  EXPECT_EQ(refused, std::vector<RegStatus>(3, regerr::HistoryUnavailable));
  EXPECT_NE(describeFailure(refused[0]).find(L"换行符"), std::wstring::npos);
  EXPECT_TRUE(mp.registry.exists(kUser, L"Software\\A\\key\rname") && !mp.registry.exists(kUser, L"Software\\new\nkey"));
  action([&] { key(kUser, L"Software\\A")->setValue(L"v", RegValue::dword(3)); });
  EXPECT_EQ(undo(0).changedSince, std::vector<std::wstring>{L"HKEY_CURRENT_USER\\Software\\A\\v"});
  EXPECT_EQ(mp.registry.value(kUser, L"Software\\A", L"v"), RegValue::dword(3));
  action([&] { key(kUser, L"Software\\A")->setValue(L"v", RegValue::dword(3)); });  // as it is: no change, no set
  for (std::uint32_t i = 0; i < 100; ++i) {  // two sets so far; the newest hundred are kept, never one more
    action([&] { key(kUser, L"Software\\A")->setValue(L"v", RegValue::dword(i)); });
    EXPECT_EQ(mp.files.files.size(), std::min<std::size_t>(i + 3, kKeptChangeSets));
  }
}

}  // namespace
}  // namespace trova::test
