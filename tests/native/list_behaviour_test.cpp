// What the lists share: column sort, pop-up menus and the details search,
// greying of the add-on buttons, and select all / select none.
#include <gtest/gtest.h>

#include "addons/addon_registry.h"
#include "app/list_behaviour.h"
#include "immunity/immunity_page.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;
const std::wstring kMenu = addons::kMenuExtKey;
const std::wstring kBar = addons::kToolbarKey;

struct SharedLists : ::testing::Test {
  FormFixture f;
  ListView& addons() { return f.ui.listView(L"ListView_cjgl"); }
  ListView& immunity(int t) { return f.ui.listView(L"ListView_cjmy(" + std::to_wstring(t) + L")"); }

  // Toolbars are listed with the data of their value as the name, so three
  // values give three rows whose columns sort differently.
  void seedAddons() {
    f.reg().setText(Hive::LocalMachine, kBar, L"{CC}", L"Beta");
    f.reg().setText(Hive::LocalMachine, kBar, L"{AA}", L"Gamma");
    f.reg().setText(Hive::LocalMachine, kBar, L"{BB}", L"alpha");
    f.reg().createKey(Hive::CurrentUser, std::wstring(addons::kSettingsKey) + L"\\{AA}");
    f.pickTab(2);
  }
  std::vector<std::wstring> column(ListView& list, int c) {
    std::vector<std::wstring> out;
    for (int r = 0; r < list.rowCount(); ++r) out.push_back(list.cell(r, c));
    return out;
  }
  void fillImmunity(int t, std::vector<std::pair<std::wstring, std::wstring>> rows) {
    for (auto& [name, id] : rows) immunity(t).addRow({name, id, L"未免疫"}, false, ImmunityRow{id, false});
  }
  std::vector<bool> checks(ListView& list) {
    std::vector<bool> out;
    for (int r = 0; r < list.rowCount(); ++r) out.push_back(list.checked(r));
    return out;
  }
  std::vector<std::wstring>& opened() { return f.mp.shell.opened; }
};

// ---- column sort ----

TEST_F(SharedLists, SameColumnFlipsTheDirectionOnEveryClick) {
  seedAddons();
  using V = std::vector<std::wstring>;
  ASSERT_EQ(column(addons(), 1), (V{L"{CC}", L"{AA}", L"{BB}"})) << "unsorted at first: source order";
  f.form.ColumnClick(L"ListView_cjgl", 1);
  EXPECT_EQ(column(addons(), 1), (V{L"{AA}", L"{BB}", L"{CC}"}));
  f.form.ColumnClick(L"ListView_cjgl", 1);
  EXPECT_EQ(column(addons(), 1), (V{L"{CC}", L"{BB}", L"{AA}"}));
  f.form.ColumnClick(L"ListView_cjgl", 1);
  EXPECT_EQ(column(addons(), 1), (V{L"{AA}", L"{BB}", L"{CC}"}));
  EXPECT_EQ(addons().sort().column, 1);
  EXPECT_FALSE(addons().sort().descending);
  EXPECT_TRUE(addons().sort().enabled);
}

TEST_F(SharedLists, AnotherColumnSortsAscendingWhateverTheDirectionWas) {
  seedAddons();
  f.form.ColumnClick(L"ListView_cjgl", 2);  // 状态
  f.form.ColumnClick(L"ListView_cjgl", 2);
  ASSERT_TRUE(addons().sort().descending);
  f.form.ColumnClick(L"ListView_cjgl", 1);  // CISID
  EXPECT_EQ(column(addons(), 1), (std::vector<std::wstring>{L"{AA}", L"{BB}", L"{CC}"}));
  EXPECT_FALSE(addons().sort().descending);
}

TEST_F(SharedLists, SortsByTheTextWithoutRegardToCase) {
  seedAddons();
  f.form.ColumnClick(L"ListView_cjgl", 1);
  f.form.ColumnClick(L"ListView_cjgl", 0);
  EXPECT_EQ(column(addons(), 0), (std::vector<std::wstring>{L"alpha", L"Beta", L"Gamma"}));
}

TEST_F(SharedLists, TheFirstClickOnAnyColumnSortsAscending) {
  // No column is the sort column at start, so a first click on the name
  // column sorts by it instead of only flipping a direction nobody sees.
  seedAddons();
  f.form.ColumnClick(L"ListView_cjgl", 0);
  EXPECT_EQ(column(addons(), 0), (std::vector<std::wstring>{L"alpha", L"Beta", L"Gamma"}));
  EXPECT_TRUE(addons().sort().enabled);
  EXPECT_FALSE(addons().sort().descending);
  f.form.ColumnClick(L"ListView_cjgl", 0);
  EXPECT_EQ(column(addons(), 0), (std::vector<std::wstring>{L"Gamma", L"Beta", L"alpha"}));
}

TEST_F(SharedLists, SortSettingsSurviveARefillWhichIsSortedAgain) {
  seedAddons();
  f.form.ColumnClick(L"ListView_cjgl", 1);
  f.form.ColumnClick(L"ListView_cjgl", 1);
  f.reg().setText(Hive::LocalMachine, kBar, L"{DD}", L"Delta");
  f.pickTab(2);
  EXPECT_EQ(column(addons(), 1), (std::vector<std::wstring>{L"{DD}", L"{CC}", L"{BB}", L"{AA}"}));
  EXPECT_EQ(addons().sort().column, 1);
  EXPECT_TRUE(addons().sort().descending);
}

TEST_F(SharedLists, EachImmunityListSortsOnItsOwn) {
  for (int t = 0; t < 4; ++t) fillImmunity(t, {{L"b", L"{2}"}, {L"a", L"{3}"}, {L"c", L"{1}"}});
  f.form.ColumnClick(L"ListView_cjmy(2)", 1);
  EXPECT_EQ(column(immunity(2), 1), (std::vector<std::wstring>{L"{1}", L"{2}", L"{3}"}));
  for (int t : {0, 1, 3}) {
    EXPECT_EQ(column(immunity(t), 1), (std::vector<std::wstring>{L"{2}", L"{3}", L"{1}"})) << t;
    EXPECT_FALSE(immunity(t).sort().enabled) << t;
  }
}

TEST_F(SharedLists, UnsortedListsAndStrayColumnsAreLeftAlone) {
  ListView& ysql = f.ui.listView(L"ListView_ysql");
  ysql.addRow({L"b"});
  ysql.addRow({L"a"});
  f.form.ColumnClick(L"ListView_ysql", 0);
  f.form.ColumnClick(L"ListView_llqsz", 1);
  EXPECT_EQ(f.ui.listView(L"ListView_ysql").cell(0, 0), L"b");
  EXPECT_FALSE(f.ui.listView(L"ListView_llqsz").sort().enabled);
  seedAddons();
  f.form.ColumnClick(L"ListView_cjgl", 5);
  f.form.ColumnClick(L"ListView_cjgl", -1);
  EXPECT_FALSE(addons().sort().enabled);
  EXPECT_EQ(addons().sort().column, -1) << "no column has been sorted by yet";
}

// ---- pop-up menus and details search ----

TEST_F(SharedLists, TheRightButtonPopsUpTheListsOwnMenu) {
  f.form.RightButtonUp(L"ListView_cjgl");
  f.form.RightButtonUp(L"ListView_cjmy(0)");
  f.form.RightButtonUp(L"ListView_cjmy(3)");
  f.form.RightButtonUp(L"ListView_ysql");
  f.form.RightButtonUp(L"ListView_llqsz");
  EXPECT_EQ(f.ui.menus().shown, (std::vector<std::wstring>{L"cd_cjglyj", L"cd_cjmyyj", L"cd_cjmyyj"}));
}

TEST_F(SharedLists, AddonDetailsSearchTheCisidOrTheMenuText) {
  f.reg().setText(Hive::CurrentUser, kMenu + L"\\导出到 Excel", L"", L"C:\\excel.htm");
  f.reg().setText(Hive::LocalMachine, kBar, L"{AB12-CD}", L"Bar");
  f.pickTab(2);
  addons().selectRow(0);
  ASSERT_EQ(addons().cell(0, 1), L"{AB12-CD}");
  f.form.Click(L"cd_cjglxxxx");
  addons().selectRow(1);
  ASSERT_EQ(addons().cell(1, 1), L"缺省");
  f.form.Click(L"cd_cjglxxxx");
  EXPECT_EQ(opened(), (std::vector<std::wstring>{
                          L"https://www.baidu.com/s?ie=utf-8&tn=trova&word=%7BAB12-CD%7D",
                          L"https://www.baidu.com/s?ie=utf-8&tn=trova&word=%E5%AF%BC%E5%87%BA%E5%88%B0%20Excel",
                      }));
}

TEST_F(SharedLists, ImmunityDetailsReadTheListOnTheCurrentTab) {
  fillImmunity(0, {{L"Domestic", L"{D0}"}});
  fillImmunity(1, {{L"Foreign A", L"{F1}"}, {L"Foreign B", L"{F2}"}});
  immunity(0).selectRow(0);
  immunity(1).selectRow(1);
  f.ui.tabs(L"SSTab_cjmy").setCurrent(1);  // "国外插件"
  f.form.RightButtonUp(L"ListView_cjmy(1)");
  f.form.Click(L"cd_cjmyxxxx");
  ASSERT_EQ(opened().size(), 1u);
  EXPECT_EQ(opened()[0], searchAddressFor(L"{F2}"));

  f.ui.tabs(L"SSTab_cjmy").setCurrent(2);  // a list without a selection
  f.form.Click(L"cd_cjmyxxxx");
  EXPECT_EQ(opened().size(), 1u);
}

TEST_F(SharedLists, NoSelectedRowNoSearchAndAMissingBrowserIsNotReported) {
  seedAddons();
  f.form.Click(L"cd_cjglxxxx");
  EXPECT_TRUE(opened().empty());
  f.mp.shell.fail = true;
  addons().selectRow(0);
  f.form.Click(L"cd_cjglxxxx");
  EXPECT_EQ(opened().size(), 1u);
  EXPECT_TRUE(f.mp.dialogs.messages.empty());
}

TEST(SearchAddress, TheTermCannotChangeTheAddress) {
  EXPECT_EQ(percentEncode(L"AZaz09-._~"), L"AZaz09-._~");
  EXPECT_EQ(percentEncode(L"a&b=c"), L"a%26b%3Dc");
  EXPECT_EQ(percentEncode(L"#top"), L"%23top");
  EXPECT_EQ(percentEncode(L"100%"), L"100%25");
  EXPECT_EQ(percentEncode(L"a b+c"), L"a%20b%2Bc");
  EXPECT_EQ(percentEncode(L"?/\\:\""), L"%3F%2F%5C%3A%22");
  EXPECT_EQ(percentEncode(L"中文"), L"%E4%B8%AD%E6%96%87");
  EXPECT_EQ(percentEncode(L"\U0001F600"), L"%F0%9F%98%80");
  EXPECT_EQ(percentEncode(L""), L"");

  const std::wstring address = searchAddressFor(L"x&tn=evil#frag %");
  const std::wstring base = kSearchAddress;
  ASSERT_EQ(address.compare(0, base.size(), base), 0);
  EXPECT_EQ(base.substr(base.size() - 5), L"word=") << "the term comes last, after word=";
  EXPECT_NE(base.find(L"tn="), std::wstring::npos);
  EXPECT_EQ(address.substr(base.size()), L"x%26tn%3Devil%23frag%20%25");
  EXPECT_EQ(address.find(L'#'), std::wstring::npos);
}

// ---- greying of 启用 / 禁用 ----

TEST_F(SharedLists, ClickingAContextMenuEntryGreysEnableAndDisable) {
  f.reg().setText(Hive::CurrentUser, kMenu + L"\\Menu", L"", L"m.htm");
  f.reg().setText(Hive::LocalMachine, kBar, L"{T}", L"Bar");
  f.pickTab(2);
  const int bar = 0, menu = 1;
  ASSERT_EQ(addons().cell(menu, 3), L"浏览器右键菜单");

  f.form.RowClick(L"ListView_cjgl", menu);
  EXPECT_FALSE(f.ui.button(L"Command_cjglqy").enabled());
  EXPECT_FALSE(f.ui.button(L"Command_cjgljy").enabled());

  f.pickTab(1);
  f.pickTab(2);
  EXPECT_FALSE(f.ui.button(L"Command_cjglqy").enabled()) << "a refill does not change them";

  f.form.RowClick(L"ListView_cjgl", bar);
  EXPECT_TRUE(f.ui.button(L"Command_cjglqy").enabled());
  EXPECT_TRUE(f.ui.button(L"Command_cjgljy").enabled());

  f.form.RowClick(L"ListView_cjgl", menu);
  f.form.RowClick(L"ListView_cjgl", -1);  // a click beside the rows
  f.form.RowClick(L"ListView_cjgl", 7);
  EXPECT_FALSE(f.ui.button(L"Command_cjglqy").enabled());
}

// ---- 全选 / 全不选 ----

TEST_F(SharedLists, SelectAllAndNoneActOnTheCurrentImmunityTabOnly) {
  for (int t = 0; t < 4; ++t) fillImmunity(t, {{L"a", L"{1}"}, {L"b", L"{2}"}});
  immunity(0).setChecked(1, true);
  f.ui.tabs(L"SSTab_cjmy").setCurrent(3);  // "用户自定义"
  f.form.Click(L"Command_cjmyqx");
  EXPECT_EQ(checks(immunity(3)), (std::vector<bool>{true, true}));
  EXPECT_EQ(checks(immunity(0)), (std::vector<bool>{false, true}));
  EXPECT_EQ(checks(immunity(1)), (std::vector<bool>{false, false}));
  EXPECT_EQ(checks(immunity(2)), (std::vector<bool>{false, false}));

  f.ui.tabs(L"SSTab_cjmy").setCurrent(0);
  f.form.Click(L"command_cjmyqbx");
  EXPECT_EQ(checks(immunity(0)), (std::vector<bool>{false, false}));
  EXPECT_EQ(checks(immunity(3)), (std::vector<bool>{true, true}));
  EXPECT_TRUE(f.mp.dialogs.messages.empty());
  EXPECT_TRUE(f.mp.files.files.empty()) << "nothing is written until the page's own apply";
}

TEST_F(SharedLists, SelectNoneOnAnEmptyListDoesNothing) {
  fillImmunity(0, {{L"a", L"{1}"}});
  immunity(0).setChecked(0, true);
  f.ui.tabs(L"SSTab_cjmy").setCurrent(2);
  f.form.Click(L"command_cjmyqbx");
  f.form.Click(L"Command_cjmyqx");
  EXPECT_EQ(immunity(2).rowCount(), 0);
  EXPECT_TRUE(immunity(0).checked(0));
}

TEST_F(SharedLists, PrivacyListHasItsOwnSelectButtons) {
  ListView& ysql = f.ui.listView(L"ListView_ysql");
  for (auto name : {L"a", L"b", L"c"}) ysql.addRow({name});
  fillImmunity(0, {{L"a", L"{1}"}});
  f.form.Click(L"Command_ysqlqx");
  EXPECT_EQ(checks(ysql), (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(immunity(0).checked(0));
  ysql.setChecked(1, false);
  f.form.Click(L"Command_ysqlqbx");
  EXPECT_EQ(checks(ysql), (std::vector<bool>{false, false, false}));
}

// The in-memory lists' rule agrees with the system's order on plain ASCII:
// case ignored, punctuation before digits before letters.
TEST(ListTextOrder, PunctuationThenDigitsThenLettersWhateverTheirCase) {
  const std::vector<std::wstring> sorted = {L"_x", L"~tilde", L"1st", L"9", L"apple", L"Banana", L"zed", L"Zed2"};
  for (std::size_t i = 0; i + 1 < sorted.size(); ++i)
    EXPECT_LT(compareListText(sorted[i], sorted[i + 1]), 0) << i;
  EXPECT_EQ(compareListText(L"Zed", L"zED"), 0);
}

// ---- registering a further list ----

TEST_F(SharedLists, OneRegistrationGivesAListSortMenuAndDetails) {
  ListView& rjxz = f.ui.listView(L"ListView_rjxz");
  rjxz.addRow({L"Zip & Co", L"2.0"});
  rjxz.addRow({L"Archiver", L"1.0"});
  f.form.ColumnClick(L"ListView_rjxz", 1);
  EXPECT_EQ(rjxz.cell(0, 0), L"Archiver");
  f.form.RightButtonUp(L"ListView_rjxz");
  EXPECT_EQ(f.ui.menus().shown, std::vector<std::wstring>{L"cd_rjxz"});
  rjxz.selectRow(1);
  f.form.Click(L"cd_rjxzxxxx");
  EXPECT_EQ(opened(), std::vector<std::wstring>{searchAddressFor(L"Zip & Co")});
  EXPECT_TRUE(opened()[0].ends_with(L"&word=Zip%20%26%20Co"));
}

}  // namespace
}  // namespace trova::test
