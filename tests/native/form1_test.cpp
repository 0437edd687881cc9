// The main window's frame (routes, start-up, page switch) and what its lists share: sort, details, select all/none.
#include <fstream>
#include <set>
#include <sstream>

#include "app/form1_design.h"
#include "app/list_behaviour.h"
#include "immunity/immunity_page.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

struct Window : ::testing::Test, FormFixture {
  ListView& immunity(int t) { return ui.listView(L"ListView_cjmy(" + std::to_wstring(t) + L")"); }
  void fill(int t) { for (auto id : {L"2", L"3", L"1"}) immunity(t).addRow({L"n", id, L"?"}, false, ImmunityRow{id}); }
};

TEST_F(Window, EveryRoutedNameIsDesignedAndEveryButtonAndMenuItemIsHandled) {
  std::set<std::wstring> designed, clickable;
  for (const auto& d : form1Design()) (d.kind == Kind::Button ? clickable : designed).insert(d.name);
  for (const auto& m : menuBarDesign()) clickable.insert(m.name);
  for (const auto& p : popupDesign()) clickable.insert(p.item.name);
  designed.insert(clickable.begin(), clickable.end());
  const Routes& r = form.routes();
  const auto expectDesigned = [&](const auto& routes) {
    for (const auto& [name, handler] : routes) EXPECT_TRUE(designed.count(name)) << toUtf8(name) << " is not designed";
  };
  expectDesigned(r.click), expectDesigned(r.columnClick), expectDesigned(r.rowClick), expectDesigned(r.rightButtonUp);
  for (const auto& name : clickable) EXPECT_TRUE(r.click.count(name)) << toUtf8(name) << " has no handler";
}

TEST_F(Window, StartUpStepsRunInOrderAndTheirNoticesWaitForTheWindow) {
  std::vector<StartupStep> steps;
  for (const auto& s : form.routes().startup) steps.push_back(s.step);
  EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()) && steps.at(0) == StartupStep::KnownControls);
  mp.files.files[MemoryFiles::key(L"C:\\Trova\\cisid.dat")] = std::string("\x03\x00\x05", 3);  // a cut record
  form.Form_Load();
  EXPECT_TRUE(said().empty()) << "nothing is shown before the window is";
  form.ShowStartupNotices();
  ASSERT_EQ(said().size(), 1u);
  EXPECT_NE(said()[0].find(L"1条记录已损坏"), std::wstring::npos);
  form.Click(L"cd_gytrova");
  EXPECT_EQ(said().back(), L"Trova build 2007.05.04") << "after start-up, boxes show at once";
}

// Each pick shows its page, reloads what that page lists and rewrites the add-on count.
TEST_F(Window, APickShowsItsPageAndReloadsOnlyWhatItShows) {
  ListView &addons = ui.listView(L"ListView_cjgl"), &startup = ui.listView(L"ListView_qdxm");
  reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Internet Explorer\\MenuExt\\A", L"", L"a.htm");
  reg().setText(Hive::CurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"I", L"x.exe");
  const struct { int tab, addons, startup; } picks[] = {{1, 0, 0}, {4, 0, 0}, {2, 1, 0}, {5, 0, 0}, {3, 0, 1}};
  for (const auto& p : picks) {
    addons.clear();
    startup.clear();
    pickTab(p.tab);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ui.panel(mainPageName(i)).visible(), i == p.tab - 1) << p.tab;
    EXPECT_EQ(std::pair(addons.rowCount(), startup.rowCount()), std::pair(p.addons, p.startup)) << p.tab;
    EXPECT_EQ(addons.header(0), L"插件名称,总" + std::to_wstring(p.addons) + L"个") << p.tab;
  }
  ui.tabs(L"TabStrip_cjmy").setCurrent(-1);
  form.Click(L"TabStrip_cjmy");
  EXPECT_TRUE(ui.panel(mainPageName(2)).visible()) << "no tab picked changes nothing";
}

// A click on the sort column flips it; another column sorts ascending, case ignored.
TEST_F(Window, HeaderClicksSortEachListOnItsOwn) {
  const std::wstring bars = L"SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
  for (auto [id, name] : {std::pair(L"{C}", L"Beta"), std::pair(L"{A}", L"Gamma"), std::pair(L"{B}", L"alpha")})
    reg().setText(Hive::LocalMachine, bars, id, name);
  pickTab(2);
  const std::pair<int, Cells> clicks[] = {
      {0, {L"alpha", L"Beta", L"Gamma"}}, {0, {L"Gamma", L"Beta", L"alpha"}}, {0, {L"alpha", L"Beta", L"Gamma"}},
      {1, {L"Gamma", L"alpha", L"Beta"}}, {1, {L"Beta", L"alpha", L"Gamma"}}, {5, {L"Beta", L"alpha", L"Gamma"}}};
  for (const auto& [at, names] : clicks) {
    form.ColumnClick(L"ListView_cjgl", at);
    EXPECT_EQ(column(ui.listView(L"ListView_cjgl"), 0), names) << at;
  }
  for (int t : {0, 2}) fill(t);  // each immunity list sorts on its own
  form.ColumnClick(L"ListView_cjmy(2)", 1);
  EXPECT_EQ(column(immunity(2), 1), (Cells{L"1", L"2", L"3"}));
  EXPECT_EQ(column(immunity(0), 1), (Cells{L"2", L"3", L"1"}));
}

// Details look up the selected row of the list in view, escaped so the term cannot change the address.
TEST_F(Window, MenusAndDetailsLookTheSelectedRowOfTheListInViewUp) {
  for (auto list : {L"ListView_cjgl", L"ListView_cjmy(0)", L"ListView_cjmy(3)", L"ListView_qdxm", L"ListView_ysql"})
    form.RightButtonUp(list);
  EXPECT_EQ(ui.menus().shown, (Cells{L"cd_cjglyj", L"cd_cjmyyj", L"cd_cjmyyj", L"cd_qdxm"}));
  fill(1);
  immunity(1).selectRow(2);
  for (int tab : {1, 2}) {  // tab 2's list has no selection
    ui.tabs(L"SSTab_cjmy").setCurrent(tab);
    form.Click(L"cd_cjmyxxxx");
  }
  ui.listView(L"ListView_rjxz").addRow({L"Zip & Co#1"});
  ui.listView(L"ListView_rjxz").selectRow(0);
  form.Click(L"cd_rjxzxxxx");
  EXPECT_EQ(mp.shell.opened, (Cells{searchAddressFor(L"1"), kSearchAddress + std::wstring(L"Zip%20%26%20Co%231")}));
}

TEST_F(Window, SelectAllAndNoneActOnTheListInView) {
  for (int t : {0, 3}) fill(t);
  immunity(0).setChecked(1, true);
  ui.tabs(L"SSTab_cjmy").setCurrent(3);
  form.Click(L"Command_cjmyqx");
  EXPECT_TRUE(immunity(3).checked(0) && immunity(3).checked(2) && immunity(0).checked(1) && !immunity(0).checked(0));
  ui.tabs(L"SSTab_cjmy").setCurrent(0);
  form.Click(L"command_cjmyqbx");
  EXPECT_TRUE(!immunity(0).checked(1) && immunity(3).checked(1));
}

// A repair tool needs HKEY_LOCAL_MACHINE and the hosts file: an administrator is asked to elevate.
TEST(Manifest, AsksForTheHighestRightsTheUserHas) {
  std::stringstream text;
  text << std::ifstream(TROVA_SOURCE_DIR "/src/win32/trova.manifest").rdbuf();
  EXPECT_NE(text.str().find(R"(level="highestAvailable" uiAccess="false")"), std::string::npos);
}

}  // namespace
}  // namespace trova::test
