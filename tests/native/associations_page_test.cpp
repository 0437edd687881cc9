// The "系统关联" tab: the network switches show what is stored and an apply
// after a load changes nothing by itself; ticks, unticks and the association
// repairs write their targets; a refused change is reported, never hidden.
#include <gtest/gtest.h>

#include "settings/associations_page.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

const std::wstring kInterfaces = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
const std::wstring kTcpip = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const std::wstring kMstcp = L"SYSTEM\\CurrentControlSet\\Services\\VXD\\MSTCP";
const std::wstring kNetBT = L"SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters";
const std::wstring kLsa = L"SYSTEM\\CurrentControlSet\\Control\\Lsa";
const std::wstring kServer = L"SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\parameters";
const std::wstring kInternet = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr int kSystemSettings = 3;

struct Associations : ::testing::Test {
  FormFixture f;
  CheckBox& box(const std::wstring& name) { return f.ui.checkBox(name); }
  ComboBox& combo(const std::wstring& name) { return f.ui.comboBox(name); }
  std::wstring shown(const std::wstring& comboName) {
    ComboBox& c = combo(comboName);
    return c.selected() < 0 ? L"<none>" : c.item(c.selected());
  }
  void load() { f.pickTab(kSystemSettings); }
  // A click as the window gives it: the box has changed, then the click arrives.
  void click(const std::wstring& name, CheckState to) {
    box(name).setState(to);
    f.form.Click(name);
  }
  // Presses "应用" and returns the one message it shows.
  std::wstring apply() {
    const std::size_t before = f.mp.dialogs.messages.size();
    f.form.Click(L"Command_xtglyy");
    EXPECT_EQ(f.mp.dialogs.messages.size(), before + 1) << "one closing message";
    return f.mp.dialogs.messages.empty() ? L"" : f.mp.dialogs.messages.back().text;
  }
  std::optional<std::uint32_t> stored(const std::wstring& key, const std::wstring& name,
                                      Hive hive = Hive::LocalMachine) {
    auto v = f.reg().value(hive, key, name);
    return v ? v->asDword() : std::nullopt;
  }
  std::wstring command(const std::wstring& fileClass) {
    auto v = f.reg().value(Hive::ClassesRoot, fileClass + L"\\shell\\open\\command", L"");
    return v ? v->asText() : L"<missing>";
  }
};

// What each network box and combo box show after a load, for what is stored;
// and that "应用" pressed right after the load leaves every value as it was.
TEST_F(Associations, TheLoadedSwitchesShowWhatIsStoredAndAnApplyKeepsIt) {
  struct Seed {
    Hive hive;
    std::wstring key, name;
    RegValue value;
  };
  struct Case {
    const char* what;
    std::vector<Seed> seeds;
    const wchar_t* box;
    CheckState state;
    const wchar_t* entry;  // what its combo box shows, if it has one
  };
  const auto dw = [](std::uint32_t n) { return RegValue::dword(n); };
  const Hive M = Hive::LocalMachine, U = Hive::CurrentUser;
  const CheckState on = CheckState::Checked, off = CheckState::Unchecked;
  const wchar_t* mtu = L"Check_wlszsyzdcsdy";
  const wchar_t* window = L"Check_wlszjstcpipwindowssize";
  const wchar_t* keepAlive = L"Check_wlszyhsessionkeepalive";
  const wchar_t* anonymous = L"Check_wlszxznmyhlj";
  const wchar_t* download = L"Check_wlsziesyddljxz";
  const std::vector<Case> cases = {
      {"an MTU a preset has", {{M, kInterfaces, L"MTU", dw(1400)}}, mtu, on, L"1400"},
      {"an MTU no preset has", {{M, kInterfaces, L"MTU", dw(1450)}}, mtu, on, L"1450 (当前)"},
      {"an MTU stored as text", {{M, kInterfaces, L"MTU", RegValue::text(L"1400")}}, mtu, off, L"<none>"},
      {"a window size of 0", {{M, kTcpip, L"TCPWindowSize", dw(0)}, {M, kTcpip, L"GlobalMaxTcpWindowSize", dw(0)}},
       window, on, L"0"},
      {"a window size without its global twin", {{M, kTcpip, L"TCPWindowSize", dw(8192)}}, window, off, L"<none>"},
      {"a stored keep-alive", {{M, kNetBT, L"SessionKeepAlive", dw(30)}}, keepAlive, CheckState::Grayed, L"30"},
      {"no keep-alive", {}, keepAlive, off, L"<none>"},
      {"Windows' own restrictanonymous = 0", {{M, kLsa, L"restrictanonymous", dw(0)}}, anonymous, off, nullptr},
      {"restrictanonymous = 2", {{M, kLsa, L"restrictanonymous", dw(2)}}, anonymous, on, nullptr},
      {"download values only under the machine root", {{M, kInternet, L"MaxConnectionsPerServer", dw(5)}}, download,
       off, nullptr},
      {"ten connections set by hand", {{U, kInternet, L"MaxConnectionsPerServer", dw(10)}}, download, off, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FormFixture fresh;
    for (const auto& seed : c.seeds) {
      KeyPtr k;
      ASSERT_EQ(fresh.reg().create(seed.hive, seed.key, k), regerr::Ok);
      ASSERT_EQ(k->setValue(seed.name, seed.value), regerr::Ok);
    }
    fresh.pickTab(kSystemSettings);
    EXPECT_EQ(fresh.ui.checkBox(c.box).state(), c.state);
    if (c.entry) {
      ComboBox& cb = fresh.ui.comboBox(network::findSwitch(c.box)->combo->name);
      EXPECT_EQ(cb.selected() < 0 ? L"<none>" : cb.item(cb.selected()), c.entry);
    }
    // Everything the switches reach, before and after an untouched apply.
    auto snapshot = [&] {
      std::vector<std::optional<RegValue>> out;
      for (const auto& s : network::switches())
        for (const auto& v : s.values)
          for (Hive h : {M, U}) out.push_back(fresh.reg().value(h, s.key, v.name));
      return out;
    };
    const auto before = snapshot();
    fresh.form.Click(L"Command_xtglyy");
    EXPECT_EQ(snapshot(), before);
    ASSERT_EQ(fresh.mp.dialogs.messages.size(), 1u);
    EXPECT_EQ(fresh.mp.dialogs.messages[0].text, L"应用成功");
    EXPECT_EQ(fresh.mp.dialogs.messages[0].style, MessageStyle::Information);
  }
}

TEST_F(Associations, ABoxFollowsItsValueFromLoadToLoad) {
  EXPECT_EQ(box(L"Check_wlszyhsessionkeepalive").state(), CheckState::Grayed) << "before the first load";
  f.reg().setDword(Hive::LocalMachine, kInterfaces, L"MTU", 1450);
  load();
  EXPECT_EQ(combo(L"Combo_wlszzdcsdy").count(), 7);
  // Removed meanwhile (by another program, or by "撤销"): the box follows, and
  // the entry that stood for the old number goes with it.
  KeyPtr k;
  ASSERT_EQ(f.reg().open(Hive::LocalMachine, kInterfaces, k), regerr::Ok);
  ASSERT_EQ(k->deleteValue(L"MTU"), regerr::Ok);
  load();
  EXPECT_EQ(box(L"Check_wlszsyzdcsdy").state(), CheckState::Unchecked);
  EXPECT_EQ(combo(L"Combo_wlszzdcsdy").count(), 6);
  EXPECT_EQ(shown(L"Combo_wlszzdcsdy"), L"<none>");
  EXPECT_EQ(apply(), L"应用成功");
  EXPECT_FALSE(stored(kInterfaces, L"MTU")) << "not written back";

  f.reg().setDword(Hive::LocalMachine, kInterfaces, L"MTU", 576);
  load();
  EXPECT_EQ(shown(L"Combo_wlszzdcsdy"), L"576(拨号推荐)");
}

// A tick selects the combo box's usual entry, an untick leaves it; a click
// on a box whose stored value it could not show lets the apply change it.
TEST_F(Associations, TicksSelectTheUsualEntryAndApplyWritesTheSelectedNumber) {
  struct Tick {
    const wchar_t* box;
    const wchar_t* combo;
    const wchar_t* entry;
  };
  const std::vector<Tick> ticks = {
      {L"Check_wlszsyzdcsdy", L"Combo_wlszzdcsdy", L"1500(以太网) (默认)"},
      {L"Check_wlszjstcpipwindowssize", L"Combo_wlszjstcp", L"35040 (56K/ISDN)"},
      {L"Check_wlsztcpipfzsm", L"Combo_wlsztcpipfzsm", L"64(推荐)"},
      {L"Check_wlszyhtcpmaxdupacks", L"Combo_yhtcpmaxdupacks", L"1"},
      {L"Check_wlszyhsessionkeepalive", L"Combo_yhsessionkeepalive", L"10 (推荐)"},
  };
  load();
  for (const auto& t : ticks) {
    click(t.box, CheckState::Checked);
    EXPECT_EQ(shown(t.combo), t.entry);
  }
  combo(L"Combo_wlszjstcp").select(18);
  ASSERT_EQ(shown(L"Combo_wlszjstcp"), L"372300 (ADSL/Cable Modem)");
  click(L"Check_wlszsyzdcsdy", CheckState::Unchecked);
  EXPECT_EQ(shown(L"Combo_wlszzdcsdy"), L"1500(以太网) (默认)") << "an untick leaves the combo box";
  click(L"Check_wlszjzzdgxserver", CheckState::Checked);
  click(L"Check_wlsziesyddljxz", CheckState::Checked);
  f.reg().setDword(Hive::LocalMachine, kInterfaces, L"MTU", 1400);  // set meanwhile; the box is unticked
  EXPECT_EQ(apply(), L"应用成功");

  EXPECT_FALSE(stored(kInterfaces, L"MTU"));
  EXPECT_EQ(stored(kTcpip, L"TCPWindowSize"), 372300u);
  EXPECT_EQ(stored(kTcpip, L"GlobalMaxTcpWindowSize"), 372300u);
  EXPECT_EQ(stored(kTcpip, L"DefaultTTL"), 64u);
  EXPECT_EQ(stored(kMstcp, L"MaxDupAcks"), 1u);
  EXPECT_EQ(stored(kNetBT, L"SessionKeepAlive"), 10u);
  EXPECT_EQ(stored(kServer, L"AutoShareServer"), 0u);
  EXPECT_FALSE(stored(kServer, L"AutoShareWks"));
  EXPECT_EQ(stored(kInternet, L"MaxConnectionsPerServer", Hive::CurrentUser), 5u);
  EXPECT_EQ(stored(kInternet, L"MaxConnectionsPer1_0Server", Hive::CurrentUser), 6u);
  EXPECT_FALSE(stored(kInternet, L"MaxConnectionsPerServer"));

  // Unticking removes both window-size values; the keep-alive is never removed.
  click(L"Check_wlszjstcpipwindowssize", CheckState::Unchecked);
  click(L"Check_wlszyhsessionkeepalive", CheckState::Unchecked);
  EXPECT_EQ(apply(), L"应用成功");
  EXPECT_FALSE(stored(kTcpip, L"TCPWindowSize"));
  EXPECT_FALSE(stored(kTcpip, L"GlobalMaxTcpWindowSize"));
  EXPECT_EQ(stored(kNetBT, L"SessionKeepAlive"), 10u);

  // Windows' restrictanonymous = 0 is left alone until the user clicks its box.
  f.reg().setDword(Hive::LocalMachine, kLsa, L"restrictanonymous", 0);
  load();
  EXPECT_EQ(apply(), L"应用成功");
  EXPECT_EQ(stored(kLsa, L"restrictanonymous"), 0u);
  click(L"Check_wlszxznmyhlj", CheckState::Checked);
  click(L"Check_wlszxznmyhlj", CheckState::Unchecked);
  EXPECT_EQ(apply(), L"应用成功");
  EXPECT_FALSE(stored(kLsa, L"restrictanonymous"));
}

TEST_F(Associations, TickedRepairsWriteOnlyTheOpenCommands) {
  f.mp.folders.windows = L"D:\\WIN";
  f.reg().setText(Hive::ClassesRoot, L"exefile\\shell\\open\\command", L"", L"evil.exe \"%1\"");
  f.reg().setText(Hive::ClassesRoot, L"exefile\\shell\\open\\command", L"IsolatedCommand", L"\"%1\" %*");
  f.reg().setText(Hive::ClassesRoot, L"exefile", L"", L"Application");
  f.reg().setText(Hive::ClassesRoot, L".exe", L"", L"exefile");
  load();
  EXPECT_EQ(apply(), L"应用成功");
  EXPECT_FALSE(f.reg().exists(Hive::ClassesRoot, L"txtfile")) << "nothing ticked, nothing written";
  EXPECT_EQ(command(L"exefile"), L"evil.exe \"%1\"");

  for (const wchar_t* b : {L"Check_wjglexe", L"Check_wjgliniinf", L"Check_wjglreg", L"Check_wjglbat"})
    box(b).setState(CheckState::Checked);
  EXPECT_EQ(apply(), L"应用成功");
  for (const wchar_t* c : {L"exefile", L"comfile", L"batfile", L"pifile", L"scrfile"})
    EXPECT_EQ(command(c), L"\"%1\" %*");
  for (const wchar_t* c : {L"txtfile", L"inifile", L"inffile"}) EXPECT_EQ(command(c), L"D:\\WIN\\notepad.exe %1");
  EXPECT_EQ(command(L"regfile"), L"regedit.exe \"%1\"");
  EXPECT_EQ(f.reg().value(Hive::ClassesRoot, L"exefile\\shell\\open\\command", L"IsolatedCommand")->asText(),
            L"\"%1\" %*");
  EXPECT_EQ(f.reg().value(Hive::ClassesRoot, L"exefile", L"")->asText(), L"Application");
  EXPECT_EQ(f.reg().value(Hive::ClassesRoot, L".exe", L"")->asText(), L"exefile");
  EXPECT_EQ(box(L"Check_wjglexe").state(), CheckState::Checked) << "the ticks stay";

  f.mp.folders.windows = L"E:\\";
  EXPECT_EQ(apply(), L"应用成功");
  EXPECT_EQ(command(L"txtfile"), L"E:\\notepad.exe %1");
}

// Without the rights for HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT every
// refused change is listed with its reason; what could be done is done, and
// what was already in place is no failure.
TEST_F(Associations, RefusedChangesAreListedInTheOneMessage) {
  f.reg().setDword(Hive::LocalMachine, kTcpip, L"DefaultTTL", 128);
  f.reg().denyWrites(Hive::LocalMachine, L"SYSTEM");
  f.reg().denyWrites(Hive::ClassesRoot, L"regfile");
  load();
  click(L"Check_wlszsyzdcsdy", CheckState::Checked);
  click(L"Check_wlsztcpipfzsm", CheckState::Unchecked);
  click(L"Check_wlsziesyddljxz", CheckState::Checked);
  click(L"Check_wjglreg", CheckState::Checked);
  const std::wstring text = apply();
  EXPECT_EQ(f.mp.dialogs.messages.back().style, MessageStyle::Plain);
  const std::wstring denied = describeFailure(regerr::AccessDenied);
  EXPECT_EQ(text, L"以下设置未能写入注册表:\r\n"
                  L"HKEY_CLASSES_ROOT\\regfile\\shell\\open\\command 的默认值、HKEY_LOCAL_MACHINE\\" +
                      kInterfaces + L" 的“MTU”、HKEY_LOCAL_MACHINE\\" + kTcpip + L" 的“DefaultTTL”：" + denied);
  EXPECT_EQ(stored(kInternet, L"MaxConnectionsPerServer", Hive::CurrentUser), 5u);
  EXPECT_EQ(stored(kTcpip, L"DefaultTTL"), 128u);
}

}  // namespace
}  // namespace trova::test
