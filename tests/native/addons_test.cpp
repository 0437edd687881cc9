// 插件管理: both registry views, the shared disabled mark, delete in the row's own view, details and the log.
#include "addons/addon_registry.h"
#include "app/list_behaviour.h"
#include "platform/files.h"
#include "support/form_fixture.h"

namespace trova::test {
namespace {

using namespace addons;
const RegRoot kLM{Hive::LocalMachine}, kLM32{Hive::LocalMachine, RegView::Bits32};
const std::wstring kBho = kHelperObjectsKey, kExt = kExtensionsKey, kMark = std::wstring(kSettingsKey) + L"\\";

struct Addons : ::testing::Test, FormFixture {
  ListView& list = ui.listView(L"ListView_cjgl");
  void cls(RegView view, const std::wstring& id, const std::wstring& name, const std::wstring& file) {
    if (!name.empty()) reg().setText({Hive::ClassesRoot, view}, L"CLSID\\" + id, L"", name);
    reg().setText({Hive::ClassesRoot, view}, L"CLSID\\" + id + L"\\InprocServer32", L"", file);
  }
  void SetUp() override {
    cls(RegView::Bits64, L"{B}", L"Helper 64", L"C:\\x64\\b.dll");
    cls(RegView::Bits32, L"{B}", L"Helper 32", L"C:\\x86\\b.dll");
    cls(RegView::Bits64, L"{E}", L"", L"e.dll");
    reg().setText(Hive::ClassesRoot, L"CLSID\\{N}", L"", L"no in-process server");
    for (auto key : {kBho + L"\\{B}\\Nested", kExt + L"\\{E}", kExt + L"\\{N}"}) reg().createKey(kLM, key);
    for (auto key : {kBho + L"\\{B}", kExt + L"\\{E}"}) reg().createKey(kLM32, key);  // {E}: 64-bit class only
    reg().setText(kLM, kToolbarKey, L"{T}", L"");
    reg().setText(kLM32, kToolbarKey, L"{T2}", L"Bar 32");
    reg().setText(Hive::CurrentUser, std::wstring(kMenuExtKey) + L"\\导出到 Excel", L"", L"C:\\x.htm");
    reg().createKey(Hive::CurrentUser, std::wstring(kMenuExtKey) + L"\\Note");
    reg().createKey(Hive::CurrentUser, kMark + L"{b}");  // any case, any content
    pickTab(2);
  }
};

TEST_F(Addons, ListsEachViewWithItsOwnClassesAndOneMarkForBoth) {
  const std::vector<Cells> shown = {{L"Helper 64", L"{B}", L"已禁用", L"浏览器帮助项", L"C:\\x64\\b.dll"},
                                    {L"未知", L"{E}", L"已启用", L"浏览器扩展项", L"e.dll"},
                                    {L"未知", L"{T}", L"已启用", L"浏览器工具项", L"文件没有找到"},
                                    {L"Helper 32", L"{B}", L"已禁用", L"浏览器帮助项 (32位)", L"C:\\x86\\b.dll"},
                                    {L"Bar 32", L"{T2}", L"已启用", L"浏览器工具项 (32位)", L"文件没有找到"},
                                    {L"Note", L"缺省", L"已启用", L"浏览器右键菜单", L"未知"},
                                    {L"导出到 Excel", L"缺省", L"已启用", L"浏览器右键菜单", L"C:\\x.htm"}};
  ASSERT_EQ(list.rowCount(), 7);
  for (int r = 0; r < 7; ++r) EXPECT_EQ(row(list, r), shown[r]) << r;
  EXPECT_EQ(list.header(0), L"插件名称,总7个");
  list.selectRow(3);
  form.Click(L"Command_cjglqy");
  EXPECT_FALSE(reg().exists(Hive::CurrentUser, kMark + L"{B}"));
  EXPECT_EQ(column(list, State)[0], L"已启用") << "both rows share the mark";
  list.selectRow(0);
  form.Click(L"Command_cjgljy");
  EXPECT_EQ(reg().value(Hive::CurrentUser, kMark + L"{B}", L"Flags").value().asDword(), 1u);
  EXPECT_EQ(column(list, State)[3], L"已禁用");
}

TEST_F(Addons, DeleteRemovesOnlyTheRegistrationInTheRowsOwnView) {
  for (int r : {3, 3, 4, 0}) {  // 32-bit helper and toolbar, "导出到 Excel", then a key with sub-keys
    list.selectRow(r);
    form.Click(L"Command_cjglsc");
  }
  EXPECT_FALSE(reg().exists(kLM32, kBho + L"\\{B}"));
  EXPECT_TRUE(reg().exists(kLM, kBho + L"\\{B}"));
  EXPECT_TRUE(reg().exists({Hive::ClassesRoot, RegView::Bits32}, L"CLSID\\{B}")) << "the class stays";
  EXPECT_TRUE(reg().exists(Hive::CurrentUser, kMark + L"{b}")) << "and so does the mark";
  EXPECT_FALSE(reg().value(kLM32, kToolbarKey, L"{T2}"));
  EXPECT_FALSE(reg().exists(Hive::CurrentUser, std::wstring(kMenuExtKey) + L"\\导出到 Excel")) << "named by its text";
  EXPECT_EQ(column(list, Id), (Cells{L"{B}", L"{E}", L"{T}", L"缺省"}));
  EXPECT_EQ(said(), (Cells{L"删除成功!", L"删除成功!", L"删除成功!", L"删除失败!\n它的注册表项下还有子项"}));
}

// A menu entry has no disabled state: its buttons are greyed and it gets no mark.
TEST_F(Addons, MenuEntriesGreyTheStateButtonsAndDetailsSearchTheirText) {
  form.RowClick(L"ListView_cjgl", 5);
  EXPECT_FALSE(ui.button(L"Command_cjglqy").enabled() || ui.button(L"Command_cjgljy").enabled());
  list.selectRow(5);
  form.Click(L"Command_cjgljy");
  EXPECT_FALSE(reg().exists(Hive::CurrentUser, kMark + L"缺省"));
  form.Click(L"cd_cjglxxxx");
  form.RowClick(L"ListView_cjgl", 2);
  EXPECT_TRUE(ui.button(L"Command_cjglqy").enabled() && ui.button(L"Command_cjgljy").enabled());
  list.selectRow(2);
  form.Click(L"cd_cjglxxxx");
  EXPECT_EQ(mp.shell.opened, (Cells{searchAddressFor(L"Note"), searchAddressFor(L"{T}")}));
}

TEST_F(Addons, ExportWritesTheRowsShownAsALogInTheCodePage) {
  for (int r = list.rowCount() - 1; r > 0; --r) list.removeRow(r);
  mp.dialogs.fileAnswers = {L"C:\\a.txt"};
  form.Click(L"Command_cjgldc");
  const std::string& bytes = mp.files.files[MemoryFiles::key(L"C:\\a.txt")];
  EXPECT_EQ(bytes.substr(0, 9), "Trova\xC8\xD5\xD6\xBE") << "GBK, not UTF-8";
  EXPECT_EQ(decodeTextLines(bytes), (Cells{L"Trova日志文件", L" ", L"名称:Helper 64", L"cisid:{B}", L"状态:已禁用",
                                           L"类型:浏览器帮助项", L"文件:C:\\x64\\b.dll", L" "}));
  EXPECT_EQ(said(), Cells{L"导出成功!"});
}

}  // namespace
}  // namespace trova::test
