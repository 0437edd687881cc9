// The "浏览器设置" tab: preset recognition, what a load shows, what "应用"
// writes and what it says, and the Internet Options restrictions.
#include <gtest/gtest.h>

#include "restrictions/policy_switches.h"
#include "settings/browser_basics.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using namespace browser;
using namespace policy;

const RegRoot kUser = Hive::CurrentUser;
const RegRoot kMachine64{Hive::LocalMachine, RegView::Bits64};
const RegRoot kMachine32{Hive::LocalMachine, RegView::Bits32};
const std::wstring kOk = L"应用成功,重新启动浏览器后生效!";

TEST(PresetRecognition, ChoosesTheFirstEntryWhoseSiteBeginsTheStoredText) {
  struct Case {
    const PresetChoice* presets;
    std::wstring stored;
    int entry;
  };
  const Case cases[] = {
      {&kHomePagePresets, L"about:blank#more", 0},
      {&kHomePagePresets, L"http://go.microsoft.com/fwlink/?LinkId=1", 1},
      {&kHomePagePresets, L"http://www.google.com.hk/", 2},  // only the first characters count
      {&kHomePagePresets, L"https://www.google.com/ig", 3},
      {&kHomePagePresets, L"", 3},
      {&kSearchPagePresets, L"http://www.microsoft.com/isapi/redir.dll", 0},
      {&kSearchPagePresets, L"http://www.baidu.com/s?tn=someone", 1},
      {&kSearchPagePresets, L"HTTP://www.baidu.com/s", 3},  // letter case counts
      {&kSearchAssistantPresets, L"http://ie.search.msn.com/zh-cn/srchasst/srchasst.htm", 0},
      {&kSearchAssistantPresets, L"http://www.google.com/", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(recogniseEntry(*c.presets, c.stored), c.entry) << c.entry;

  // Every preset is recognised as its own entry, so a load after an apply
  // selects what was picked.
  for (const PresetChoice* p : {&kHomePagePresets, &kSearchPagePresets, &kSearchAssistantPresets})
    for (int i = 0; i < kOwnAddressEntry; ++i)
      EXPECT_EQ(recogniseEntry(*p, p->addresses[static_cast<std::size_t>(i)]), i);
}

TEST(ApplyReport, NamesEachReasonOnceAfterWhatItStopped) {
  ApplyReport report;
  EXPECT_TRUE(report.noteDelete(regerr::FileNotFound, L"gone already"));
  EXPECT_TRUE(report.note(regerr::Ok, L"written"));
  EXPECT_TRUE(report.succeeded());
  for (const wchar_t* what : {L"a", L"b", L"c", L"d", L"e"}) report.note(regerr::AccessDenied, what);
  EXPECT_FALSE(report.note(regerr::FileNotFound, L"f")) << "a write to a missing key is a failure";
  EXPECT_FALSE(report.succeeded());
  EXPECT_EQ(report.failureText(), L"以下设置未能写入注册表:\r\na、b、c、d 等 5 项：" + describeFailure(regerr::AccessDenied) +
                                      L"\r\nf：" + describeFailure(regerr::FileNotFound));
}

// The browser's own keys, per user and in both views of the machine.
void installBrowser(FormFixture& f) {
  for (const RegRoot& root : {kUser, kMachine64, kMachine32}) f.reg().createKey(root, kBrowserKey);
}

struct BrowserTab : ::testing::Test {
  FormFixture f;
  BrowserTab() {
    f.load();
    installBrowser(f);
  }
  TextBox& text(const wchar_t* name) { return f.ui.textBox(name); }
  ComboBox& combo(const wchar_t* name) { return f.ui.comboBox(name); }
  ListView& policies() { return f.ui.listView(L"ListView_llqsz"); }
  void pick(const wchar_t* name, int entry) {
    combo(name).select(entry);
    f.form.Click(name);
  }
  void tick(const wchar_t* name, bool on) {
    f.ui.checkBox(name).setState(on ? CheckState::Checked : CheckState::Unchecked);
    f.form.Click(name);
  }
  std::wstring stored(RegRoot root, const wchar_t* path, const wchar_t* name) {
    auto v = f.reg().value(root, path, name);
    return v ? v->asText() : L"<missing>";
  }
  std::optional<std::uint32_t> policyValue(const wchar_t* name) {
    auto v = f.reg().value(kUser, kPolicyKey, name);
    return v ? v->asDword() : std::nullopt;
  }
  // The row of the switch with that value name.
  int row(const wchar_t* valueName) {
    for (int r = 0; r < static_cast<int>(kPolicySwitches.size()); ++r)
      if (std::wstring(kPolicySwitches[static_cast<std::size_t>(r)].valueName) == valueName) return r;
    return -1;
  }
  std::vector<std::wstring> states() {
    std::vector<std::wstring> out;
    for (int r = 0; r < policies().rowCount(); ++r) out.push_back(policies().cell(r, State));
    return out;
  }
  std::vector<int> tickedRows() {
    std::vector<int> out;
    for (int r = 0; r < policies().rowCount(); ++r)
      if (policies().checked(r)) out.push_back(r);
    return out;
  }
  const ScriptedDialogs::Message& apply() {
    f.mp.dialogs.messages.clear();
    f.form.Click(L"Command_llqsz");
    EXPECT_EQ(f.mp.dialogs.messages.size(), 1u);
    return f.mp.dialogs.messages.back();
  }
};

TEST_F(BrowserTab, StartsWithThePresetsAndTheUnstatedSwitches) {
  EXPECT_EQ(combo(L"Combo_iesy").selected(), 0);
  EXPECT_EQ(text(L"Text_iesy").text(), L"about:blank");
  EXPECT_EQ(combo(L"Combo_iessyq").selected(), 1);
  EXPECT_EQ(text(L"Text_iessyq").text(), L"http://www.baidu.com/s?tn=trova");
  EXPECT_EQ(text(L"Text_iesszsdz").text(), L"http://www.baidu.com/s?tn=trova");
  EXPECT_FALSE(text(L"Text_iebt").enabled());
  ASSERT_EQ(policies().rowCount(), 26);
  EXPECT_EQ(states(), std::vector<std::wstring>(26, L""));
  EXPECT_TRUE(tickedRows().empty());
  EXPECT_TRUE(f.reg().value(kUser, kMainKey, L"Start Page") == std::nullopt) << "nothing is written at start";

  pick(L"Combo_iesszsdz", 0);
  EXPECT_EQ(text(L"Text_iesszsdz").text(), L"http://ie.search.msn.com/{SUB_RFC1766}/srchasst/srchcust.htm");
  pick(L"Combo_iesszsdz", kOwnAddressEntry);
  EXPECT_EQ(text(L"Text_iesszsdz").text(), L"http://ie.search.msn.com/{SUB_RFC1766}/srchasst/srchcust.htm")
      << "left to edit";
}

TEST_F(BrowserTab, ATitleIsWrittenOnlyWhenTickedAndOneThatIsMissingIsNoFailure) {
  f.pickTab(3);
  EXPECT_EQ(f.ui.checkBox(L"Check_iebt").state(), CheckState::Unchecked);
  EXPECT_FALSE(text(L"Text_iebt").enabled());
  EXPECT_EQ(apply().text, kOk) << "a title that is not there is no failure to delete";
  EXPECT_EQ(stored(kUser, kMainKey, L"Window Title"), L"<missing>");
  EXPECT_EQ(stored(kUser, kMainKey, L"Start Page"), L"") << "an empty box writes an empty value";

  tick(L"Check_iebt", true);
  EXPECT_TRUE(text(L"Text_iebt").enabled());
  text(L"Text_iebt").setText(L"Trova 浏览器");
  apply();
  EXPECT_EQ(stored(kUser, kMainKey, L"Window Title"), L"Trova 浏览器");
}

TEST_F(BrowserTab, SwitchStatesFollowThePolicyKeyAndTheBrowserKey) {
  struct Case {
    bool browser, policyKey;
    std::wstring state;
  };
  for (const Case& c : {Case{true, false, kNotBlocked}, Case{false, false, kUnsupported},
                        Case{false, true, kNotBlocked}}) {
    FormFixture g;
    g.load();
    if (c.browser) g.reg().createKey(kUser, kBrowserKey);
    if (c.policyKey) g.reg().createKey(kUser, kPolicyKey);
    g.ui.listView(L"ListView_llqsz").setChecked(0, true);
    g.pickTab(3);
    for (int r = 0; r < 26; ++r) EXPECT_EQ(g.ui.listView(L"ListView_llqsz").cell(r, State), c.state) << r;
    EXPECT_FALSE(g.ui.listView(L"ListView_llqsz").checked(0)) << "only a blocked row is ticked";
  }
  // Only the number 1 blocks; what is blocked is ticked, so an apply keeps it.
  f.reg().setDword(kUser, kPolicyKey, L"ContentTab", 1);
  f.reg().setDword(kUser, kPolicyKey, L"History", 2);
  f.reg().setText(kUser, kPolicyKey, L"Proxy", L"1");
  f.pickTab(3);
  EXPECT_EQ(tickedRows(), std::vector<int>{row(L"ContentTab")});
  EXPECT_EQ(policies().cell(row(L"ContentTab"), State), kBlocked);
  EXPECT_EQ(policies().cell(row(L"History"), State), kNotBlocked);
  EXPECT_EQ(policies().cell(row(L"Proxy"), State), kNotBlocked);
  EXPECT_EQ(apply().text, kOk);
  EXPECT_EQ(policyValue(L"ContentTab"), 1u);
  EXPECT_EQ(policyValue(L"History"), 0u);
}

TEST_F(BrowserTab, TheWholePageBoxTicksItsSevenRowsAndAnApplyMakesTheKeyForThem) {
  f.pickTab(3);
  policies().setChecked(row(L"Proxy"), true);
  policies().setChecked(row(L"GeneralTab"), true);
  tick(L"Check_llqsz", true);
  EXPECT_EQ(tickedRows(), (std::vector<int>{0, 8, 9, 14, 15, row(L"Proxy"), 19, 23}));
  tick(L"Check_llqsz", false);
  EXPECT_EQ(tickedRows(), std::vector<int>{row(L"Proxy")});

  // No policy key yet: made, because a ticked row needs it.
  EXPECT_EQ(apply().text, kOk);
  EXPECT_EQ(policyValue(L"Proxy"), 1u);
  EXPECT_EQ(policyValue(L"GeneralTab"), 0u);
  EXPECT_EQ(policies().cell(row(L"Proxy"), State), kBlocked);

  // Without a ticked row no key is made just to hold zeros.
  FormFixture g;
  g.load();
  installBrowser(g);
  g.pickTab(3);
  g.form.Click(L"Command_llqsz");
  EXPECT_FALSE(g.reg().exists(kUser, kPolicyKey));
  EXPECT_EQ(g.mp.dialogs.messages.back().text, kOk);
}

// Honest messages: what failed is named with its reason, the states show the
// registry, and what was left alone cannot fail.
TEST_F(BrowserTab, FailedWritesAreListedAndTheStatesShowTheRegistry) {
  for (const RegRoot& view : {kMachine64, kMachine32})
    for (const wchar_t* name : {L"SearchAssistant", L"CustomizeSearch"})
      f.reg().setText(view, kSearchKey, name, L"http://www.google.com/");
  f.reg().setDword(kUser, kPolicyKey, L"ContentTab", 1);
  f.reg().denyWrites(Hive::LocalMachine, L"SOFTWARE");
  f.pickTab(3);
  EXPECT_EQ(apply().text, kOk) << "an unchanged machine-wide value is not rewritten";

  f.reg().denyWrites(kUser, kPolicyKey);
  policies().setChecked(row(L"ContentTab"), false);
  pick(L"Combo_iesszsdz", 1);
  const auto& m = apply();
  EXPECT_EQ(m.style, MessageStyle::Plain);
  EXPECT_NE(m.text.find(L"\r\nIE搜索助手/定制（64 位）、IE搜索助手/定制（32 位）、禁止使用 内容页：" +
                        describeFailure(regerr::AccessDenied) + L"\r\n"),
            std::wstring::npos)
      << "one line per reason; the rows written as 0 by the first press are not rewritten";
  EXPECT_NE(m.text.find(L"管理员"), std::wstring::npos);
  EXPECT_EQ(policies().cell(row(L"ContentTab"), State), kBlocked) << "still set in the registry";
  EXPECT_EQ(stored(kMachine64, kSearchKey, L"SearchAssistant"), L"http://www.google.com/");

  // A browser that is not there: a ticked switch cannot be written.
  FormFixture g;
  g.load();
  g.pickTab(3);
  g.ui.listView(L"ListView_llqsz").setChecked(0, true);
  g.form.Click(L"Command_llqsz");
  EXPECT_NE(g.mp.dialogs.messages.back().text.find(L"Internet选项限制：不支持的浏览器版本"), std::wstring::npos);
  EXPECT_FALSE(g.reg().exists(kUser, kPolicyKey));
  EXPECT_EQ(g.ui.listView(L"ListView_llqsz").cell(0, State), kUnsupported);
}

}  // namespace
}  // namespace trova::test
