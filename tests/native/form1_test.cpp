// Start-up order, the page switch and the menu commands of the main window.
#include <gtest/gtest.h>

#include "support/form_fixture.h"

namespace trova::test {
namespace {

// Wraps every hook so each run leaves its name in `trace`, then calls the original.
struct Recorder {
  std::vector<std::string> trace;
  void wrap(std::function<void()>& hook, const std::string& name) {
    hook = [this, name, inner = hook] {
      trace.push_back(name);
      if (inner) inner();
    };
  }
};

TEST(Form1Startup, RunsItsStepsOnceInOrder) {
  FormFixture f;
  Recorder r;
  auto& s = f.form.startup;
  r.wrap(s.initKnownControls, "catalogue");
  r.wrap(s.preselectBrowserBasics, "basics");
  r.wrap(s.fillPolicyNames, "policy");
  r.wrap(s.fillPrivacyNames, "privacy");
  r.wrap(s.fillImmunityLists, "immunity");
  r.wrap(s.loadUserEntries, "user");
  auto& l = f.form.loaders;
  for (auto* hook : {&l.fillAddons, &l.loadBrowserBasics, &l.loadPolicyStates, &l.loadUninstallList,
                     &l.loadStartupList, &l.loadNetworkSwitches, &l.loadHosts})
    r.wrap(*hook, "page loader");

  f.form.Form_Load();
  EXPECT_EQ(r.trace, (std::vector<std::string>{"catalogue", "basics", "policy", "privacy", "immunity",
                                               "user"}));
  EXPECT_TRUE(f.mp.dialogs.messages.empty());
}

struct PageSwitch : ::testing::Test {
  FormFixture f;
  Recorder r;
  void SetUp() override {
    auto& l = f.form.loaders;
    r.wrap(l.fillAddons, "addons");
    r.wrap(l.loadBrowserBasics, "basics");
    r.wrap(l.loadPolicyStates, "policy");
    r.wrap(l.loadUninstallList, "uninstall");
    r.wrap(l.loadStartupList, "startup");
    r.wrap(l.loadNetworkSwitches, "network");
    r.wrap(l.loadHosts, "hosts");
  }
  std::vector<bool> visiblePages() {
    std::vector<bool> v;
    for (auto& p : f.ui.Pictureframe) v.push_back(p.visible());
    return v;
  }
};

TEST_F(PageSwitch, ShowsExactlyThePickedPage) {
  for (int n = 1; n <= 5; ++n) {
    f.pickTab(n);
    std::vector<bool> expected(5, false);
    expected[static_cast<std::size_t>(n - 1)] = true;
    EXPECT_EQ(visiblePages(), expected) << "tab " << n;
  }
}

TEST_F(PageSwitch, ReloadsOnlyWhatThePickedTabShows) {
  f.pickTab(1);
  EXPECT_TRUE(r.trace.empty()) << "the immunity page is filled once, at start-up";
  f.pickTab(2);
  EXPECT_EQ(r.trace, std::vector<std::string>{"addons"});
  r.trace.clear();
  f.pickTab(3);
  EXPECT_EQ(r.trace, (std::vector<std::string>{"basics", "policy", "uninstall", "startup", "network"}));
  r.trace.clear();
  f.pickTab(4);
  EXPECT_EQ(r.trace, std::vector<std::string>{"hosts"});
  r.trace.clear();
  f.pickTab(3);
  f.pickTab(3);
  EXPECT_EQ(r.trace.size(), 10u) << "every pick reloads; nothing is cached";
}

TEST_F(PageSwitch, ToolsSaysNotFinishedEveryTime) {
  f.pickTab(5);
  f.pickTab(1);
  f.pickTab(5);
  ASSERT_EQ(f.mp.dialogs.messages.size(), 2u);
  for (const auto& m : f.mp.dialogs.messages) {
    EXPECT_EQ(m.text, L"未完成");
    EXPECT_EQ(m.title, L"提示");
    EXPECT_EQ(m.style, MessageStyle::Plain);
  }
}

TEST_F(PageSwitch, EveryPickRewritesTheAddonCount) {
  f.pickTab(1);
  EXPECT_EQ(f.ui.ListView_cjgl.header(0), L"插件名称,总0个") << "set even before the list was loaded";
  f.reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\MenuExt\\A", L"", L"a.htm");
  f.reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\MenuExt\\B", L"", L"b.htm");
  f.pickTab(2);
  EXPECT_EQ(f.ui.ListView_cjgl.header(0), L"插件名称,总2个");
  f.ui.ListView_cjgl.removeRow(0);  // as a delete on the page would
  f.pickTab(4);
  EXPECT_EQ(f.ui.ListView_cjgl.header(0), L"插件名称,总1个") << "the count of what the list holds now";
  f.pickTab(2);
  EXPECT_EQ(f.ui.ListView_cjgl.rowCount(), 2) << "refilled, not appended to";
  EXPECT_EQ(f.ui.ListView_cjgl.header(0), L"插件名称,总2个");
}

TEST(Form1Menus, OpenTheSiteAndMailAndShowTheAboutBox) {
  FormFixture f;
  f.form.cd_gfwz_Click();
  f.form.cd_lxwm_Click();
  ASSERT_EQ(f.mp.shell.opened.size(), 2u);
  EXPECT_EQ(f.mp.shell.opened[0].rfind(L"https://", 0), 0u);
  EXPECT_EQ(f.mp.shell.opened[1].rfind(L"mailto:", 0), 0u);
  f.form.cd_gytrova_Click();
  ASSERT_EQ(f.mp.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.mp.dialogs.messages[0].text, L"Trova build 2007.05.04");
  EXPECT_EQ(f.mp.dialogs.messages[0].title, L"Trova");
}

TEST(Form1Menus, AMissingBrowserIsNotReported) {
  FormFixture f;
  f.mp.shell.fail = true;
  f.form.cd_gfwz_Click();
  EXPECT_TRUE(f.mp.dialogs.messages.empty());
}

}  // namespace
}  // namespace trova::test
