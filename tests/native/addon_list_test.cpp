// Filling the add-on list from the registry's four add-on places.
#include <gtest/gtest.h>

#include "addons/addon_registry.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using Row = std::vector<std::wstring>;
const std::wstring kBho = addons::kHelperObjectsKey;
const std::wstring kExt = addons::kExtensionsKey;
const std::wstring kBar = addons::kToolbarKey;
const std::wstring kMenu = addons::kMenuExtKey;
const std::wstring kSettings = addons::kSettingsKey;

struct AddonList : ::testing::Test {
  FormFixture f;
  ListView& list() { return f.ui.listView(L"ListView_cjgl"); }

  void registerClass(const std::wstring& id, const std::wstring& name, const std::wstring& file) {
    f.reg().setText(Hive::ClassesRoot, L"CLSID\\" + id, L"", name);
    if (!file.empty()) f.reg().setText(Hive::ClassesRoot, L"CLSID\\" + id + L"\\InprocServer32", L"", file);
  }
  std::vector<Row> rows() {
    f.pickTab(2);
    std::vector<Row> out;
    for (int r = 0; r < list().rowCount(); ++r) out.push_back(f.row(list(), r));
    return out;
  }
};

TEST_F(AddonList, ReadsTheFourSourcesInOrder) {
  // Written in reverse so that source order, not creation order, decides.
  f.reg().setText(Hive::CurrentUser, kMenu + L"\\导出到 Excel", L"", L"C:\\Office\\EXCEL.EXE/3000");
  f.reg().setText(Hive::LocalMachine, kBar, L"{BAR-1}", L"Search Bar");
  registerClass(L"{EXT-1}", L"Research", L"C:\\ext.dll");
  f.reg().createKey(Hive::LocalMachine, kExt + L"\\{EXT-1}");
  registerClass(L"{BHO-1}", L"Helper", L"C:\\bho.dll");
  f.reg().createKey(Hive::LocalMachine, kBho + L"\\{BHO-1}");

  EXPECT_EQ(rows(), (std::vector<Row>{
                        {L"Helper", L"{BHO-1}", L"已启用", L"浏览器帮助项", L"C:\\bho.dll"},
                        {L"Research", L"{EXT-1}", L"已启用", L"浏览器扩展项", L"C:\\ext.dll"},
                        {L"Search Bar", L"{BAR-1}", L"已启用", L"浏览器工具项", L"文件没有找到"},
                        {L"导出到 Excel", L"缺省", L"已启用", L"浏览器右键菜单", L"C:\\Office\\EXCEL.EXE/3000"},
                    }));
  EXPECT_EQ(list().header(0), L"插件名称,总4个");
}

// The 32-bit browser's add-ons are listed too, each with its class looked up in
// its own view; both rows of one identifier share the one disabled mark.
TEST_F(AddonList, BothViewsAreListedAndActedOnInTheirOwnView) {
  const RegRoot machine32{Hive::LocalMachine, RegView::Bits32}, classes32{Hive::ClassesRoot, RegView::Bits32};
  registerClass(L"{B}", L"Helper 64", L"C:\\x64\\b.dll");
  f.reg().setText(classes32, L"CLSID\\{B}", L"", L"Helper 32");
  f.reg().setText(classes32, L"CLSID\\{B}\\InprocServer32", L"", L"C:\\x86\\b.dll");
  f.reg().createKey(Hive::LocalMachine, kBho + L"\\{B}");
  f.reg().createKey(machine32, kBho + L"\\{B}");
  registerClass(L"{E}", L"64-bit class only", L"C:\\x64\\e.dll");
  f.reg().createKey(machine32, kExt + L"\\{E}");
  f.reg().setText(machine32, kBar, L"{T}", L"Bar 32");
  EXPECT_EQ(rows(), (std::vector<Row>{
                        {L"Helper 64", L"{B}", L"已启用", L"浏览器帮助项", L"C:\\x64\\b.dll"},
                        {L"Helper 32", L"{B}", L"已启用", L"浏览器帮助项 (32位)", L"C:\\x86\\b.dll"},
                        {L"Bar 32", L"{T}", L"已启用", L"浏览器工具项 (32位)", L"文件没有找到"},
                    }));
  EXPECT_EQ(list().header(0), L"插件名称,总3个");

  list().selectRow(0);
  f.form.Click(L"Command_cjgljy");
  EXPECT_EQ(list().cell(0, 2), L"已禁用");
  EXPECT_EQ(list().cell(1, 2), L"已禁用") << "the mark is the 32-bit browser's too";
  list().selectRow(1);
  f.form.Click(L"Command_cjglqy");
  EXPECT_EQ(list().cell(0, 2), L"已启用");

  list().selectRow(1);
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(f.reg().exists(machine32, kBho + L"\\{B}"));
  EXPECT_TRUE(f.reg().exists(Hive::LocalMachine, kBho + L"\\{B}"));
  list().selectRow(1);  // now the 32-bit toolbar
  f.form.Click(L"Command_cjglsc");
  EXPECT_FALSE(f.reg().value(machine32, kBar, L"{T}"));
}

TEST_F(AddonList, ListsOnlyClassesWithAnInProcessServer) {
  registerClass(L"{A}", L"Has server", L"a.dll");
  registerClass(L"{B}", L"No server", L"");
  f.reg().createKey(Hive::ClassesRoot, L"CLSID\\{C}\\InprocServer32");  // key without a default value
  registerClass(L"{E}", L"", L"e.dll");                                  // no name of its own
  for (auto id : {L"{A}", L"{B}", L"{C}", L"{D-not-registered}", L"{E}"}) {
    f.reg().createKey(Hive::LocalMachine, kBho + L"\\" + id);
    f.reg().createKey(Hive::LocalMachine, kExt + L"\\" + id);
  }
  auto r = rows();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0][1], L"{A}");
  EXPECT_EQ(r[1], (Row{L"未知", L"{E}", L"已启用", L"浏览器帮助项", L"e.dll"}));
  EXPECT_EQ(r[2][3], L"浏览器扩展项");
  EXPECT_EQ(r[3][0], L"未知");
}

TEST_F(AddonList, DisabledMeansTheSettingsKeyExistsWhateverItHolds) {
  registerClass(L"{A}", L"A", L"a.dll");
  registerClass(L"{B}", L"B", L"b.dll");
  f.reg().createKey(Hive::LocalMachine, kBho + L"\\{A}");
  f.reg().createKey(Hive::LocalMachine, kBho + L"\\{B}");
  f.reg().setText(Hive::LocalMachine, kBar, L"{T}", L"Bar");
  f.reg().setDword(Hive::CurrentUser, kSettings + L"\\{a}", L"Flags", 0);  // other case, Flags 0
  f.reg().createKey(Hive::CurrentUser, kSettings + L"\\{T}");               // no values at all
  auto r = rows();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0][2], L"已禁用");
  EXPECT_EQ(r[1][2], L"已启用");
  EXPECT_EQ(r[2][2], L"已禁用");
}

TEST_F(AddonList, ToolbarWithEmptyDataIsUnknown) {
  f.reg().setText(Hive::LocalMachine, kBar, L"{T1}", L"");
  f.reg().setDword(Hive::LocalMachine, kBar, L"{T2}", 0);  // data that is no text at all
  auto r = rows();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], (Row{L"未知", L"{T1}", L"已启用", L"浏览器工具项", L"文件没有找到"}));
  EXPECT_EQ(r[1][0], L"未知");
}

TEST_F(AddonList, ContextMenusStandAloneAndWithoutAFile) {
  f.reg().createKey(Hive::CurrentUser, kMenu + L"\\Add to Note");
  f.reg().setDword(Hive::CurrentUser, kSettings + L"\\缺省", L"Flags", 1);  // never consulted
  auto r = rows();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0], (Row{L"Add to Note", L"缺省", L"已启用", L"浏览器右键菜单", L"未知"}));
}

TEST_F(AddonList, NoAddonsGivesAnEmptyListAndCountZero) {
  f.reg().createKey(Hive::LocalMachine, kBho);
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(list().header(0), L"插件名称,总0个");
}

TEST_F(AddonList, ARefillForgetsAddonsRemovedOutside) {
  f.reg().setText(Hive::LocalMachine, kBar, L"{T1}", L"One");
  f.reg().setText(Hive::LocalMachine, kBar, L"{T2}", L"Two");
  ASSERT_EQ(rows().size(), 2u);
  KeyPtr bar;
  ASSERT_EQ(f.reg().open(Hive::LocalMachine, kBar, bar), regerr::Ok);
  ASSERT_EQ(bar->deleteValue(L"{T1}"), regerr::Ok);
  auto r = rows();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0][0], L"Two");
}

// Names outside the ANSI code page and texts longer than a 2000-byte buffer
// must come through whole: they are read with the wide-character calls.
TEST_F(AddonList, NamesOutsideTheCodePageAndLongTextsSurvive) {
  const std::wstring id = L"{Ελληνικά-☃}";
  std::wstring longName(1500, L'名');  // 3000 bytes in GBK, 3002 in UTF-16
  longName += L"尾";
  registerClass(id, longName, L"C:\\Ünïcödé\\ext.dll");
  f.reg().createKey(Hive::LocalMachine, kBho + L"\\" + id);
  f.reg().createKey(Hive::CurrentUser, kSettings + L"\\" + id);
  f.reg().createKey(Hive::CurrentUser, kMenu + L"\\Ŝend to ☃");
  auto r = rows();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0], (Row{longName, id, L"已禁用", L"浏览器帮助项", L"C:\\Ünïcödé\\ext.dll"}));
  EXPECT_EQ(r[1][0], L"Ŝend to ☃");
}

TEST_F(AddonList, AnUnreadableSourceDoesNotStopTheOthers) {
  registerClass(L"{A}", L"A", L"a.dll");
  f.reg().createKey(Hive::LocalMachine, kExt + L"\\{A}");
  f.reg().setText(Hive::CurrentUser, kMenu + L"\\M", L"", L"m.htm");
  auto r = rows();  // no helper-object key and no toolbar key at all
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0][3], L"浏览器扩展项");
  EXPECT_EQ(r[1][3], L"浏览器右键菜单");
}

}  // namespace
}  // namespace trova::test
