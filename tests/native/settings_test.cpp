// The "浏览器设置" and "系统关联" tabs: presets, Internet Options restrictions,
// network switches and association repairs, as shown and as "应用" writes them.
#include "page_test.h"
#include "restrictions/policy_switches.h"
#include "settings/browser_basics.h"
#include "settings/network.h"

namespace trova::test {
namespace {

using namespace policy;
const std::wstring kOk = L"应用成功,重新启动浏览器后生效!", kMain = browser::kMainKey;

struct Settings : PageTest {
  ListView& rows = ui.listView(L"ListView_llqsz");
  Settings() { load(); }
  std::wstring states() {  // the first character of each row's state, "+" after a ticked one
    std::wstring out;
    for (int r = 0; r < rows.rowCount(); ++r) out += rows.cell(r, State).substr(0, 1) + (rows.checked(r) ? L"+" : L"");
    return out;
  }
  void tick(const std::wstring& box, bool on) {
    ui.checkBox(box).setState(on ? CheckState::Checked : CheckState::Unchecked);
    form.Click(box);
  }
};

TEST_F(Settings, BrowserPresetsAreKnownByTheirSiteAndAnApplyWritesWhatChanged) {
  EXPECT_EQ(ui.textBox(L"Text_iessyq").text(), browser::kBaiduSearch) << "the preset at start";
  for (RegRoot root : {RegRoot(Hive::CurrentUser), RegRoot{Hive::LocalMachine, RegView::Bits64},
                       RegRoot{Hive::LocalMachine, RegView::Bits32}})
    reg().createKey(root, browser::kBrowserKey);
  reg().setText(Hive::CurrentUser, kMain, L"Start Page", L"http://www.google.com.hk/");  // only the site counts
  reg().setText(Hive::CurrentUser, kMain, L"Search Page", L"HTTP://www.baidu.com/s");   // and letter case
  pickTab(3);
  EXPECT_EQ(ui.comboBox(L"Combo_iesy").selected() * 10 + ui.comboBox(L"Combo_iessyq").selected(), 20 + kOwnAddressEntry);
  EXPECT_EQ(click(L"Command_llqsz"), kOk) << "a title not there is no failure to delete";
  const std::wstring ie = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\";
  const std::wstring s64 = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Internet Explorer\\Search";
  const std::wstring s32 = L"HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Internet Explorer\\Search";
  EXPECT_EQ(changes(), (std::vector<std::wstring>{ie + L"Download Directory", s64, s64 + L"\\SearchAssistant",
                                                  s64 + L"\\CustomizeSearch", s32, s32 + L"\\SearchAssistant",
                                                  s32 + L"\\CustomizeSearch"})) << "both views";
  tick(L"Check_iebt", true);
  ui.textBox(L"Text_iebt").setText(L"Trova");
  EXPECT_EQ(click(L"Command_llqsz"), kOk);
  EXPECT_EQ(changes(), std::vector<std::wstring>{ie + L"Main\\Window Title"}) << "what is as wanted is not rewritten";
}

TEST_F(Settings, RestrictionStatesShowTheRegistryAndAnApplyWritesTheTicks) {
  pickTab(3);
  rows.setChecked(0, true);
  EXPECT_NE(click(L"Command_llqsz").find(L"Internet选项限制：不支持的浏览器版本"), std::wstring::npos) << "no browser";
  EXPECT_EQ(states(), L"不+" + std::wstring(25, L'不'));
  reg().createKey(Hive::CurrentUser, browser::kBrowserKey);
  pickTab(3);
  EXPECT_EQ(states(), std::wstring(26, L'未'));
  click(L"Command_llqsz");
  EXPECT_FALSE(reg().exists(Hive::CurrentUser, kPolicyKey)) << "a key is made only to block";
  reg().setDword(Hive::CurrentUser, kPolicyKey, L"ContentTab", 1);  // only the number 1 blocks
  reg().setDword(Hive::CurrentUser, kPolicyKey, L"History", 2);
  reg().setText(Hive::CurrentUser, kPolicyKey, L"Proxy", L"1");
  pickTab(3);
  EXPECT_EQ(states(), L"未未未未未未未未未已+未未未未未未未未未未未未未未未未");
  rows.setChecked(18, true);
  tick(L"Check_llqsz", true);  // the whole pages, ticked and unticked together
  EXPECT_EQ(states(), L"未+未未未未未未未未+已+未未未未未+未+未未未+未+未未未未+未未");
  tick(L"Check_llqsz", false);
  click(L"Command_llqsz");
  EXPECT_EQ(states(), L"未未未未未未未未未未未未未未未未未未已+未未未未未未未");
  for (auto [name, value] : {std::pair{L"Proxy", 1u}, {L"ContentTab", 0u}, {L"History", 0u}})
    EXPECT_EQ(reg().value(Hive::CurrentUser, kPolicyKey, name), RegValue::dword(value)) << name;
}

// A load shows what is stored, and an apply right after changes nothing; a tick
// selects the usual entry and writes its number; an untick removes the values,
// but never the keep-alive's.
TEST_F(Settings, NetworkSwitchesShowWhatIsStoredAndWriteWhatIsTicked) {
  const std::wstring services = L"SYSTEM\\CurrentControlSet\\Services\\";
  reg().setDword(Hive::LocalMachine, services + L"Tcpip\\Parameters\\Interfaces", L"MTU", 1450);
  reg().setText(Hive::LocalMachine, services + L"Tcpip\\Parameters", L"DefaultTTL", L"64");  // no number to show
  reg().setDword(Hive::LocalMachine, services + L"NetBT\\Parameters", L"SessionKeepAlive", 30);
  reg().setDword(Hive::LocalMachine, L"SYSTEM\\CurrentControlSet\\Control\\Lsa", L"restrictanonymous", 0);
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
  EXPECT_EQ(click(L"Command_xtglyy"), L"应用成功");
  std::wstring written;
  for (const auto& s : network::switches())
    for (const auto& v : s.values) written += std::to_wstring(*reg().value(s.hive, s.key, v.name).value().asDword()) + L" ";
  EXPECT_EQ(written, L"1500 372300 372300 64 1 10 2 0 0 5 6 ");
  for (const auto& s : network::switches()) tick(s.checkBox, false);
  EXPECT_EQ(click(L"Command_xtglyy"), L"应用成功");
  for (const auto& s : network::switches())
    EXPECT_EQ(reg().value(s.hive, s.key, s.values[0].name).has_value(), s.threeState) << s.checkBox;
}

TEST_F(Settings, TickedRepairsWriteOnlyTheOpenCommands) {
  mp.folders.windows = L"D:\\";
  reg().setText(Hive::ClassesRoot, L"exefile\\shell\\open\\command", L"", L"evil.exe \"%1\"");
  pickTab(3);
  for (const wchar_t* b : {L"Check_wjglexe", L"Check_wjgliniinf", L"Check_wjglreg", L"Check_wjglbat"}) tick(b, true);
  EXPECT_EQ(click(L"Command_xtglyy"), L"应用成功");
  std::vector<std::wstring> expected;
  for (std::wstring c : {L"exefile", L"comfile", L"txtfile", L"inifile", L"inffile", L"regfile", L"batfile", L"pifile",
                         L"scrfile"}) {
    const bool text = std::wstring(L"txtfile inifile inffile").find(c) != std::wstring::npos;
    EXPECT_EQ(reg().value(Hive::ClassesRoot, c + L"\\shell\\open\\command", L"")->asText(),
              c == L"regfile" ? L"regedit.exe \"%1\"" : text ? L"D:\\notepad.exe %1" : L"\"%1\" %*");
    for (std::wstring made : {L"", L"\\shell", L"\\shell\\open", L"\\shell\\open\\command"})  // the keys made
      if (c != L"exefile") expected.push_back(L"HKEY_CLASSES_ROOT\\" + c + made);
    expected.push_back(L"HKEY_CLASSES_ROOT\\" + c + L"\\shell\\open\\command\\(默认)");
  }
  EXPECT_EQ(changes(), expected) << "only default values";
}

}  // namespace
}  // namespace trova::test
