// The main window's frame: the page table against the design, start-up, the
// page switch and the menu commands.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "app/form1_design.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

std::string ascii(const std::wstring& s) { return std::string(s.begin(), s.end()); }

TEST(PageTable, EveryRoutedNameIsDesignedAndEveryButtonAndMenuItemIsHandled) {
  FormFixture f;
  std::set<std::wstring> designed;
  for (const auto& d : form1Design()) designed.insert(d.name);
  for (const auto& m : menuBarDesign()) designed.insert(m.name);
  for (const auto& p : popupDesign()) designed.insert(p.item.name);

  const Routes& r = f.form.routes();
  auto expectDesigned = [&](const auto& routes, const char* kind) {
    for (const auto& [name, handler] : routes) {
      EXPECT_TRUE(designed.count(name)) << kind << " routed to " << ascii(name) << ", which the design lacks";
      EXPECT_TRUE(handler) << ascii(name);
    }
  };
  expectDesigned(r.click, "a click");
  expectDesigned(r.columnClick, "a column click");
  expectDesigned(r.rowClick, "a row click");
  expectDesigned(r.rightButtonUp, "a right click");

  std::vector<std::wstring> clickable;
  for (const auto& d : form1Design())
    if (d.kind == Kind::Button) clickable.push_back(d.name);
  for (const auto& m : menuBarDesign()) clickable.push_back(m.name);
  for (const auto& p : popupDesign()) clickable.push_back(p.item.name);
  for (const auto& name : clickable) EXPECT_TRUE(r.click.count(name)) << ascii(name) << " has no handler";
}

TEST(PageTable, TheTabStripShowsOnePagePerMainTab) {
  EXPECT_EQ(mainTabCaptions(), (std::vector<std::wstring>{L"插件免疫", L"插件管理", L"系统设置", L"网站免疫", L"工具"}));
  const ControlDesign* strip = findDesign(L"TabStrip_cjmy");
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->items, mainTabCaptions());
  EXPECT_EQ(pageCaptionOf(L"Command_cjmy"), L"插件免疫");
  EXPECT_EQ(pageCaptionOf(L"Command_ysql"), L"系统清理");
  EXPECT_EQ(pageCaptionOf(L"Command_yhzdybc"), L"用户自定义");
}

TEST(Form1Startup, StepsRunInTheDesignsOrder) {
  FormFixture f;
  std::vector<StartupStep> steps;
  for (const auto& s : f.form.routes().startup) steps.push_back(s.step);
  EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front(), StartupStep::KnownControls) << "the immunity lists read the catalogue";
  EXPECT_EQ(steps.back(), StartupStep::UserEntries);
}

TEST(Form1Startup, NoticesWaitForTheWindow) {
  FormFixture f;
  f.mp.files.files[MemoryFiles::key(L"C:\\Trova\\cisid.dat")] = std::string("\x03\x00\x05", 3);  // a cut record
  f.form.Form_Load();
  EXPECT_TRUE(f.mp.dialogs.messages.empty()) << "nothing is shown before the window is";
  f.form.ShowStartupNotices();
  ASSERT_EQ(f.mp.dialogs.messages.size(), 1u);
  EXPECT_EQ(f.mp.dialogs.messages[0].style, MessageStyle::Plain);
  f.form.Click(L"cd_gytrova");
  EXPECT_EQ(f.mp.dialogs.messages.size(), 2u) << "after start-up, boxes show at once";
}

struct PageSwitch : ::testing::Test {
  FormFixture f;
  std::vector<bool> visiblePages() {
    std::vector<bool> v;
    for (int i = 0; i < 5; ++i) v.push_back(f.ui.panel(mainPageName(i)).visible());
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

TEST_F(PageSwitch, NoSelectedTabChangesNothing) {
  f.pickTab(2);
  f.ui.tabs(L"TabStrip_cjmy").setCurrent(-1);
  f.form.Click(L"TabStrip_cjmy");
  EXPECT_EQ(visiblePages(), (std::vector<bool>{false, true, false, false, false}));
}

TEST_F(PageSwitch, ReloadsOnlyWhatThePickedTabShows) {
  f.reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\MenuExt\\A", L"", L"a.htm");
  f.reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Item", L"x.exe");
  f.pickTab(1);
  f.pickTab(4);
  EXPECT_EQ(f.ui.listView(L"ListView_cjgl").rowCount(), 0);
  EXPECT_EQ(f.ui.listView(L"ListView_qdxm").rowCount(), 0);
  f.pickTab(2);
  EXPECT_EQ(f.ui.listView(L"ListView_cjgl").rowCount(), 1);
  EXPECT_EQ(f.ui.listView(L"ListView_qdxm").rowCount(), 0);
  f.pickTab(3);
  EXPECT_EQ(f.ui.listView(L"ListView_qdxm").rowCount(), 1);
}

TEST_F(PageSwitch, EveryPickRewritesTheAddonCount) {
  ListView& addons = f.ui.listView(L"ListView_cjgl");
  f.pickTab(1);
  EXPECT_EQ(addons.header(0), L"插件名称,总0个") << "set even before the list was loaded";
  f.reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\MenuExt\\A", L"", L"a.htm");
  f.reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\MenuExt\\B", L"", L"b.htm");
  f.pickTab(2);
  EXPECT_EQ(addons.header(0), L"插件名称,总2个");
  addons.removeRow(0);  // as a delete on the page would
  f.pickTab(4);
  EXPECT_EQ(addons.header(0), L"插件名称,总1个") << "the count of what the list holds now";
  f.pickTab(2);
  EXPECT_EQ(addons.rowCount(), 2) << "refilled, not appended to";
  EXPECT_EQ(addons.header(0), L"插件名称,总2个");
}

// An administrator is asked to elevate at start (a repair tool needs the rights
// to HKEY_LOCAL_MACHINE and the hosts file); a standard user still runs it.
TEST(Form1Manifest, AsksForTheHighestRightsTheUserHas) {
  std::ifstream in(TROVA_SOURCE_DIR "/src/win32/trova.manifest");
  ASSERT_TRUE(in);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find(R"(<requestedExecutionLevel level="highestAvailable" uiAccess="false"/>)"),
            std::string::npos);
}

TEST(Form1Menus, OpenTheSiteAndMailAndShowTheAboutBox) {
  FormFixture f;
  f.form.Click(L"cd_gfwz");
  f.form.Click(L"cd_lxwm");
  ASSERT_EQ(f.mp.shell.opened.size(), 2u);
  EXPECT_EQ(f.mp.shell.opened[0].rfind(L"https://", 0), 0u);
  EXPECT_EQ(f.mp.shell.opened[1].rfind(L"mailto:", 0), 0u);
  f.form.Click(L"cd_gytrova");
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
